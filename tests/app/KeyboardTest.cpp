// The keyboard of the program, on sample data: every window is built and its
// controls checked for access keys (every button and check box has one, every
// input field a label with one, no key repeats in a window), and the standard
// shortcuts of the main window reach their commands.

#include "AboutDialog.h"
#include "AppFixture.h"
#include "CategoryNameDialog.h"
#include "EditCategoriesDialog.h"
#include "ExpenseDialog.h"
#include "ExportProgressDialog.h"
#include "ImportDialog.h"
#include "LogView.h"
#include "NoteDialog.h"
#include "RecordHold.h"
#include "SampleGenerator.h"
#include "SelectCategoryDialog.h"
#include "ServiceRecordDialog.h"
#include "ServiceTypeDialog.h"
#include "SettingsDialog.h"
#include "StatisticsWindow.h"
#include "TabForm.h"
#include "TripDialog.h"
#include "TvDeskDoc.h"
#include "UserListDialog.h"
#include "UserNameDialog.h"
#include "VehicleDialog.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <set>

namespace {

// A part of another control (a combo box's line edit) is not the window's own.
bool OwnControl(const QWidget* widget, const QWidget* window) {
    if (widget->window() != window)
        return false;
    for (const QWidget* up = widget->parentWidget(); up != window; up = up->parentWidget()) {
        if (up->inherits("QComboBox") || up->inherits("QAbstractSpinBox"))
            return false;
    }
    return true;
}

bool IsField(const QWidget* widget) {
    const char* const kinds[] = {"QLineEdit", "QTextEdit",        "QPlainTextEdit",
                                 "QComboBox", "QAbstractSpinBox", "QAbstractItemView"};
    return !widget->property("readOnly").toBool() &&
           std::any_of(std::begin(kinds), std::end(kinds),
                       [widget](const char* kind) { return widget->inherits(kind); });
}

// Every button and check box has a key, every field a label with one, and no
// key repeats; `keys` come in taken (a menu bar's), `unlabelled` names the
// classes or objects of fields shown without a label.
void CheckAccessKeys(const QWidget& window, const std::string& name, const QStringList& unlabelled,
                     std::map<QKeySequence, QString> keys) {
    SCOPED_TRACE(name);
    const auto take = [&keys](const QWidget* widget, const QString& text) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        EXPECT_FALSE(key.isEmpty()) << widget->metaObject()->className() << " \""
                                    << text.toStdString() << "\" has no access key";
        const auto [taken, fresh] = keys.emplace(key, text);
        EXPECT_TRUE(key.isEmpty() || fresh)
            << text.toStdString() << " repeats the key of " << taken->second.toStdString();
    };
    const auto focusable = [](const QWidget* widget) {
        return widget != nullptr && (widget->focusPolicy() & Qt::TabFocus) != 0;
    };
    std::set<const QWidget*> labelled;
    const QList<QWidget*> widgets = window.findChildren<QWidget*>();
    for (const QWidget* widget : widgets) {
        const auto* label = qobject_cast<const QLabel*>(widget);
        const auto* button = qobject_cast<const QAbstractButton*>(widget);
        const auto* group = qobject_cast<const QGroupBox*>(widget);
        if (!OwnControl(widget, &window))
            continue;
        if (label != nullptr && focusable(label->buddy())) {
            take(label, label->text());
            labelled.insert(label->buddy());
        } else if (button != nullptr && focusable(button) && !button->text().isEmpty()) {
            take(button, button->text());
        } else if (group != nullptr && group->isCheckable()) {
            take(group, group->title());
        }
    }
    for (const QWidget* widget : widgets) {
        const bool exempt = std::any_of(unlabelled.begin(), unlabelled.end(), [&](auto& name) {
            return widget->objectName() == name || widget->inherits(name.toLatin1());
        });
        if (OwnControl(widget, &window) && focusable(widget) && IsField(widget) && !exempt) {
            EXPECT_TRUE(labelled.count(widget))
                << widget->metaObject()->className() << " " << widget->objectName().toStdString()
                << " has no label with an access key";
        }
    }
}

// The program on sample data, with its main window.
class KeyboardTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ModalDialog::clearHandlers();
        AddUser(1, "Ann");
        const std::string file = DataFileOf("Ann");
        ASSERT_TRUE(QDir().mkpath(QFileInfo(QString::fromStdString(file)).path()));
        TvDocument sample;
        SampleOptions options;
        options.Trips = 50;
        options.Expenses = 40;
        GenerateSample(sample, options);
        ASSERT_TRUE(sample.OnSaveDocument(file));
        ASSERT_TRUE(Start());
    }
};

template <typename T> T& First(auto& store) {
    for (T& record : store.Records()) {
        if (!record.IsDeleted())
            return record;
    }
    throw std::logic_error("no record in the sample");
}

// What a window needs to be built.
struct Context {
    CTvDeskApp& app;
    CTvDeskDoc& doc;
    QWidget* frame;
    bool metric;
};

// Every window of the program, and the fields it shows without a label.
const struct {
    const char* name;
    std::function<QWidget*(Context&)> make;
    QStringList unlabelledFields;
} kWindows[] = {
    {"Trip",
     [](Context& c) {
         return new CTripDialog(First<TripRecord>(c.doc.Trips()), c.doc.Vehicles(),
                                c.doc.Trips().Categories, nullptr, nullptr, c.metric, false,
                                c.frame);
     },
     {}},
    {"Vehicle",
     [](Context& c) {
         return new CVehicleDialog(First<VehicleRecord>(c.doc.Vehicles()), c.doc.Vehicles(),
                                   c.metric, c.frame);
     },
     {}},
    {"Service Type",
     [](Context& c) {
         return new CServiceTypeDialog(First<ServiceTypeRecord>(c.doc.ServiceTypes()),
                                       c.doc.ServiceTypes(), c.metric, c.frame);
     },
     {}},
    {"Service Record",
     [](Context& c) {
         return new CServiceRecordDialog(First<ServiceRecord>(c.doc.Services()), c.doc, c.metric,
                                         false, c.frame);
     },
     {}},
    {"Expense",
     [](Context& c) {
         return new CExpenseDialog(First<ExpenseRecord>(c.doc.Expenses()), c.doc, nullptr, nullptr,
                                   c.metric, c.frame);
     },
     {}},
    {"Edit Categories",
     [](Context& c) {
         return new CEditCategoriesDialog(c.doc, true, true, &c.doc.Trips().Categories, c.frame);
     },
     {}},
    {"Category Name", [](Context& c) { return new CCategoryNameDialog("Business", c.frame); }, {}},
    {"Select Category",
     [](Context& c) { return new CSelectCategoryDialog(c.doc.Trips().Categories, c.frame); },
     {}},
    {"Note", [](Context& c) { return new CNoteDialog("Fuel receipt", c.frame); }, {"noteEdit"}},
    {"Settings", [](Context& c) { return new CSettingsDialog(c.app, c.frame); }, {}},
    {"About", [](Context& c) { return new CAboutDialog("TvData.tv", c.frame); }, {}},
    {"User List",
     [](Context& c) { return new CUserListDialog(*c.app.UserManager(), c.frame); },
     {"QListWidget"}},
    {"User Name", [](Context& c) { return new CUserNameDialog("Ann", c.frame); }, {}},
    {"Vehicle Statistics", [](Context& c) { return new CStatisticsWindow(c.doc, c.frame); }, {}},
    {"Export Progress",
     [](Context& c) {
         // The export's progress dialog, a window of the holder.
         struct Holder : QWidget {
             explicit Holder(CTvDeskDoc& doc) : hold(doc), progress(hold, this, "Exporting") {}
             CRecordHold hold;
             CExportProgressDialog progress;
         };
         return new Holder(c.doc);
     },
     {}},
    {"Import",
     [](Context& c) {
         // The dialog on a small CSV, and its hold; the column field boxes sit
         // in the table's header row, reached by Tab from the table.
         struct Holder : QWidget {
             explicit Holder(CTvDeskDoc& doc) : hold(doc) {
                 const QString csv = folder.filePath("trips.csv");
                 QFile file(csv);
                 file.open(QIODevice::WriteOnly);
                 file.write("Date,Odometer,Note\n2024-03-01,1200,Oil\n");
                 file.close();
                 dialog = new CImportDialog(doc, hold, csv, ImportLog::Trips, this);
             }
             QTemporaryDir folder;
             CRecordHold hold;
             CImportDialog* dialog = nullptr;
         };
         return new Holder(c.doc);
     },
     {"fieldBox1", "fieldBox2", "fieldBox3"}},
    // Further dialogs join here, one line each.
};

TEST_F(KeyboardTest, EveryControlOfEveryWindowHasAnAccessKeyOfItsOwn) {
    CTvDeskApp& app = *m_app;
    for (const bool metric : {false, true}) {
        Context context{app, app.Doc(), app.MainFrame(), metric};
        for (const auto& entry : kWindows) {
            const std::unique_ptr<QWidget> owner(entry.make(context));
            QList<QWidget*> windows = owner->findChildren<QWidget*>();
            windows << owner.get();
            for (const QWidget* window : windows) {
                // A combo box's drop-down list is a window of Qt's own.
                if (window->isWindow() && !window->inherits("QComboBoxPrivateContainer"))
                    CheckAccessKeys(*window, entry.name + std::string(metric ? ", metric" : ""),
                                    entry.unlabelledFields, {});
            }
        }
    }
}

TEST_F(KeyboardTest, TheMainWindowsControlsTakeNoKeyOfTheMenuBar) {
    CMainFrame& frame = *m_app->MainFrame();
    frame.OfferExpenseLog(true);
    std::map<QKeySequence, QString> menus;
    for (const QAction* menu : frame.menuBar()->actions())
        menus.emplace(QKeySequence::mnemonic(menu->text()), menu->text());
    CheckAccessKeys(frame, "Main window", {"CLogView"}, menus);
}

TEST_F(KeyboardTest, TheStandardShortcutsReachTheirCommands) {
    CMainFrame& frame = *m_app->MainFrame();
    frame.OfferExpenseLog(true);
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    const auto rows = [&frame] { return frame.RightView()->model()->rowCount(); };
    const auto selected = [&frame] {
        return frame.RightView()->selectionModel()->selectedRows().size();
    };
    for (int log = LogIndex::kTripLog; log < LogIndex::kCount; ++log) {
        frame.TabForm()->SwitchLog(log);
        QApplication::processEvents();
        frame.RightView()->setFocus();
        frame.RightView()->clearSelection();
        QTest::keySequence(frame.RightView(), QKeySequence::SelectAll);
        EXPECT_GT(rows(), 1) << log;
        EXPECT_EQ(selected(), rows()) << log;
    }

    // Undo and redo of a deletion by the Delete key.
    frame.TabForm()->SwitchLog(LogIndex::kTripLog);
    QApplication::processEvents();
    QWidget* list = frame.RightView();
    list->setFocus();
    const int trips = rows();
    QTest::keySequence(list, QKeySequence::SelectAll);
    MessageBox::setNextAnswer(MessageBox::Yes);
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(rows(), 0);
    const std::pair<QKeySequence, int> steps[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Z), trips},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), 0},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), trips},
        {QKeySequence(Qt::CTRL | Qt::Key_Y), 0},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), trips}};
    for (const auto& [keys, left] : steps) {
        QTest::keySequence(list, keys);
        EXPECT_EQ(rows(), left) << keys.toString().toStdString();
    }

    // Ctrl+P opens the print dialog of the trip log; F1 looks for the guide
    // (in a folder without one); Ctrl+Q ends the program.
    const int dialogs = ModalDialog::runCount();
    QTest::keySequence(list, QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_EQ(ModalDialog::runCount(), dialogs + 1);
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Brisklane", "Tarvenly")
        .setValue("3.0/Tarvenly Path", m_folder.path());
    QSignalSpy help(frame.findChild<QAction*>("actionUserGuide"), &QAction::triggered);
    QTest::keyClick(list, Qt::Key_F1);
    EXPECT_EQ(help.count(), 1);
    QTest::keySequence(list, QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_FALSE(frame.isVisible());
}

} // namespace
