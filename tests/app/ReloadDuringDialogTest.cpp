// A HotSync reload arriving while a dialog of a record command is open: the
// dialog closes as cancelled, nested dialogs and questions with it, and the
// command stops without touching a record. The records the dialogs were
// opened on are freed by the reload, so a write into them is a
// use-after-free (ASan) and a write-through would mark the reloaded data
// modified.

#include "AppFixture.h"
#include "EditCategoriesDialog.h"
#include "FileDialog.h"
#include "LogView.h"
#include "TripView.h"
#include "TvDeskDoc.h"
#include "VehicleView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <sys/stat.h>

namespace {

class ReloadDuringDialog : public FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        CategoryEntry work;
        work.Name = "Work";
        work.Category = 1;
        Doc().Trips().Categories.Add(work);
        VehicleRecord van;
        van.Name.Set("Van");
        van.VehicleId = 7;
        Doc().Vehicles().Append(van);
        for (const char* place : {"Depot", "Bank"}) {
            TripRecord trip(MTime(2024, 3, 1, 9, 0, 0, -1));
            trip.VehicleId = 7;
            trip.Destination.Set(place);
            trip.Note = "old";
            Doc().Trips().Append(std::move(trip));
        }
        // What the HotSync will read again.
        ASSERT_TRUE(Doc().OnSaveDocument(Doc().PathName()));
        Doc().UpdateAllViews(nullptr, 0);
        m_frame->ShowLog(LogIndex::kTripLog);
        ASSERT_EQ(TripView()->Rows().size(), 2u);
        MessageBox::clearShownTexts();
    }
    void TearDown() override {
        MessageBox::setTestMode(true);
        FrameFixture::TearDown();
    }

    CTvDeskDoc& Doc() { return m_app->Doc(); }
    CTripView* TripView() { return dynamic_cast<CTripView*>(m_frame->RightView()); }
    void Reload() { m_app->ReloadDocument(); }

    template <typename T> static T* Field(QDialog& dialog, const char* name) {
        T* field = dialog.findChild<T*>(name);
        EXPECT_NE(field, nullptr) << name;
        return field;
    }
    static void ClickOk(QDialog& dialog) { Field<QPushButton>(dialog, "okButton")->click(); }

    void SelectFirstRow() {
        CLogView* view = m_frame->RightView();
        view->clearSelection();
        view->selectionModel()->select(view->model()->index(0, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    // The data as the file has it: nothing written, nothing marked.
    void ExpectTheFileAsItWas() {
        EXPECT_FALSE(Doc().IsModified());
        ASSERT_EQ(Doc().Trips().Count(), 2u);
        for (const TripRecord& trip : Doc().Trips().Records()) {
            EXPECT_EQ(trip.Flags, 0u);
            EXPECT_EQ(trip.Category, 0u);
            EXPECT_EQ(trip.Note, "old");
        }
        EXPECT_EQ(Doc().Trips().Records()[0].Destination.View(), "Depot");
        ASSERT_EQ(Doc().Vehicles().Count(), 1u);
        EXPECT_EQ(Doc().Vehicles().Records()[0].Name.View(), "Van");
        EXPECT_EQ(Doc().Vehicles().Records()[0].Flags, 0u);
        std::vector<std::string> categories;
        for (const CategoryEntry& entry : Doc().Trips().Categories.Items())
            categories.push_back(entry.Name);
        EXPECT_EQ(categories, (std::vector<std::string>{"Work", "Unfiled"}));
    }

    // Runs a command whose dialog is filled in by change, then meets the
    // reload, then gets its OK. The dialog's result.
    int ReloadBeforeOk(const std::function<void()>& command,
                       const std::function<void(QDialog&)>& change) {
        int result = -1;
        ModalDialog::pushHandler([&](QDialog& dialog) {
            change(dialog);
            Reload();
            ClickOk(dialog);
            result = dialog.result();
            return result;
        });
        command();
        return result;
    }

    // Answers every message box that stays on screen for seconds, a question
    // with Yes; answered tells whether one had to be.
    static void AnswerLate(QTimer& timer, bool& answered) {
        QObject::connect(&timer, &QTimer::timeout, [&answered] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            answered = true;
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            (yes != nullptr ? yes : box->button(QMessageBox::Ok))->click();
        });
        timer.start(5000);
    }
};

TEST_F(ReloadDuringDialog, EditingATripWritesNothing) {
    SelectFirstRow();
    EXPECT_EQ(ReloadBeforeOk([this] { TripView()->OnEditRecord(); },
                             [](QDialog& dialog) {
                                 Field<QLineEdit>(dialog, "destinationEdit")->setText("Changed");
                             }),
              QDialog::Rejected);
    ExpectTheFileAsItWas();
    // The list shows the trips read again.
    ASSERT_EQ(TripView()->Rows().size(), 2u);
    EXPECT_EQ(TripView()->model()->index(0, 1).data().toString(), "Depot");
}

TEST_F(ReloadDuringDialog, ANewTripIsNotAdded) {
    EXPECT_EQ(ReloadBeforeOk([this] { TripView()->OnNewRecord(); },
                             [](QDialog& dialog) {
                                 Field<QLineEdit>(dialog, "destinationEdit")->setText("Harbour");
                             }),
              QDialog::Rejected);
    ExpectTheFileAsItWas();
    EXPECT_EQ(TripView()->Rows().size(), 2u);
}

TEST_F(ReloadDuringDialog, TheNoteDialogInsideTheTripDialogClosesWithIt) {
    SelectFirstRow();
    int noteResult = -1;
    int tripResult = -1;
    ModalDialog::pushHandler([&](QDialog& trip) {
        ModalDialog::pushHandler([&](QDialog& note) {
            Field<QPlainTextEdit>(note, "noteEdit")->setPlainText("new");
            Reload();
            ClickOk(note);
            noteResult = note.result();
            return noteResult;
        });
        Field<QPushButton>(trip, "noteButton")->click();
        ClickOk(trip);
        tripResult = trip.result();
        return tripResult;
    });
    TripView()->OnEditRecord();
    EXPECT_EQ(ModalDialog::runCount(), 2);
    EXPECT_EQ(noteResult, QDialog::Rejected);
    EXPECT_EQ(tripResult, QDialog::Rejected);
    ExpectTheFileAsItWas();
}

TEST_F(ReloadDuringDialog, TheImportDialogAddsNothing) {
    const QString csv =
        QDir(QFileInfo(QString::fromStdString(Doc().PathName())).path()).filePath("trips.csv");
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Date,Destination,Start Odometer,End Odometer\n3/2/2024 8:00,Bank,10,20\n");
    file.close();
    FileDialog::setTestMode(true);
    FileDialog::setNextFileName(csv);
    int result = -1;
    ModalDialog::pushHandler([&](QDialog& dialog) {
        Field<QComboBox>(dialog, "vehicleBox")->setCurrentText("Van");
        Field<QPushButton>(dialog, "checkButton")->click();
        Reload();
        Field<QPushButton>(dialog, "importButton")->click();
        result = dialog.result();
        return result;
    });
    m_frame->findChild<QAction*>("actionImport")->trigger();
    FileDialog::setTestMode(false);
    EXPECT_EQ(result, QDialog::Rejected);
    ExpectTheFileAsItWas();
    EXPECT_EQ(Doc().UndoStack().count(), 0);
}

TEST_F(ReloadDuringDialog, CategoryChangeRefilesNothing) {
    SelectFirstRow();
    EXPECT_EQ(ReloadBeforeOk([this] { TripView()->OnCategoryChange(); },
                             [](QDialog& dialog) {
                                 auto* box = Field<QComboBox>(dialog, "categoryBox");
                                 box->setCurrentIndex(box->findText("Work"));
                             }),
              QDialog::Rejected);
    ExpectTheFileAsItWas();
}

TEST_F(ReloadDuringDialog, TheDeleteQuestionOfAListClosesWithoutItsYes) {
    SelectFirstRow();
    MessageBox::setTestMode(false);
    bool answeredLate = false;
    QTimer late;
    AnswerLate(late, answeredLate);
    QTimer::singleShot(0, &late, [this] { Reload(); });
    TripView()->OnDeleteRecords();
    MessageBox::setTestMode(true);
    EXPECT_FALSE(answeredLate);
    ExpectTheFileAsItWas();
}

TEST_F(ReloadDuringDialog, EditingOrAddingAVehicleWritesNothing) {
    m_frame->ShowLog(LogIndex::kVehicleList);
    CLogView* vehicles = m_frame->RightView();
    const auto rename = [](QDialog& dialog) {
        Field<QLineEdit>(dialog, "nameEdit")->setText("Bus");
    };
    SelectFirstRow();
    EXPECT_EQ(ReloadBeforeOk([vehicles] { vehicles->OnEditRecord(); }, rename), QDialog::Rejected);
    ExpectTheFileAsItWas();
    EXPECT_EQ(ReloadBeforeOk([vehicles] { vehicles->OnNewRecord(); }, rename), QDialog::Rejected);
    ExpectTheFileAsItWas();
    ASSERT_EQ(vehicles->model()->rowCount(), 1);
    EXPECT_EQ(vehicles->model()->index(0, 0).data().toString(), "Van");
}

TEST_F(ReloadDuringDialog, EditCategoriesAndItsNameDialogCloseTogether) {
    int nameResult = -1;
    int editResult = -1;
    ModalDialog::pushHandler([&](QDialog& edit) {
        ModalDialog::pushHandler([&](QDialog& name) {
            Field<QLineEdit>(name, "nameEdit")->setText("Errands");
            Reload();
            ClickOk(name);
            nameResult = name.result();
            return nameResult;
        });
        Field<QPushButton>(edit, "newButton")->click();
        Field<QPushButton>(edit, "okButton")->click();
        editResult = edit.result();
        return editResult;
    });
    m_frame->findChild<QAction*>("actionEditCategories")->trigger();
    EXPECT_EQ(nameResult, QDialog::Rejected);
    EXPECT_EQ(editResult, QDialog::Rejected);
    ExpectTheFileAsItWas();
}

TEST_F(ReloadDuringDialog, TheDeleteQuestionOfEditCategoriesClosesWithoutItsYes) {
    bool answeredLate = false;
    int editResult = -1;
    QTimer late;
    ModalDialog::pushHandler([&](QDialog& edit) {
        auto* items = Field<QListWidget>(edit, "itemList");
        items->setCurrentRow(items->row(items->findItems("Work", Qt::MatchExactly).value(0)));
        MessageBox::setTestMode(false);
        AnswerLate(late, answeredLate);
        QTimer::singleShot(0, &late, [this] { Reload(); });
        Field<QPushButton>(edit, "deleteButton")->click();
        MessageBox::setTestMode(true);
        editResult = edit.result();
        return editResult;
    });
    m_frame->findChild<QAction*>("actionEditCategories")->trigger();
    EXPECT_FALSE(answeredLate);
    EXPECT_EQ(editResult, QDialog::Rejected);
    ExpectTheFileAsItWas();
}

// Any dialog, shown for real, filled in, reloaded under, then confirmed.
TEST_F(ReloadDuringDialog, EveryDialogClosedByTheReloadKeepsNothingAndIsNamed) {
    const std::string data = Doc().PathName();
    const auto bytes = [&data] {
        QFile file(QString::fromStdString(data));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = bytes();
    const QString saveAsTarget = m_folder.path() + "/Elsewhere.tv";
    bool exitAllowed = true;
    const struct {
        QString named;
        std::function<void()> open;
        std::function<void(QDialog&)> fill;
    } cases[] = {
        {"Tarvenly Settings", [this] { m_app->OnSettings(); },
         [](QDialog& dialog) {
             Field<QLineEdit>(dialog, "rate")->setText("9");
             for (QRadioButton* units : dialog.findChildren<QRadioButton*>())
                 units->setChecked(units->text() == "M&etric(Kilometers)");
         }},
        {"About TvDesk", [this] { m_app->OnAppAbout(); }, [](QDialog&) {}},
        // The Save As of a save that fails on the read-only data file.
        {"Save As",
         [&] {
             ASSERT_EQ(::chmod(data.c_str(), 0444), 0);
             Doc().SetModifiedFlag(true);
             QCloseEvent exit;
             QApplication::sendEvent(m_frame, &exit);
             exitAllowed = exit.isAccepted();
             ::chmod(data.c_str(), 0644);
         },
         [&](QDialog& dialog) { static_cast<QFileDialog&>(dialog).selectFile(saveAsTarget); }},
        {"the message",
         [this] {
             SelectFirstRow();
             TripView()->OnDeleteRecords();
         },
         [](QDialog&) {}},
    };
    for (const auto& shown : cases) {
        SCOPED_TRACE(shown.named.toStdString());
        ModalDialog::setTestMode(false);
        FileDialog::setTestMode(false);
        MessageBox::setTestMode(false);
        QTimer::singleShot(0, m_frame, [&shown, this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            shown.fill(*dialog);
            MessageBox::setTestMode(true);
            Reload();
            dialog->accept();
        });
        shown.open();
        ModalDialog::setTestMode(true);
        FileDialog::setTestMode(true);
        MessageBox::setTestMode(true);
        ExpectTheFileAsItWas();
        EXPECT_DOUBLE_EQ(m_app->Rate, 0.365);
        EXPECT_EQ(bytes(), before);
        EXPECT_FALSE(QFileInfo::exists(saveAsTarget));
        EXPECT_TRUE(m_frame->statusBar()->currentMessage().contains(shown.named));
    }
    EXPECT_FALSE(exitAllowed);
}

} // namespace
