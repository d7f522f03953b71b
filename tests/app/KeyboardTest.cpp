// The keyboard of the program, on sample data: every window is built and its
// controls checked for access keys (every button and check box has one, every
// input field a label with one, no key repeats in a window), and the standard
// shortcuts of the main window reach their commands.

#include "AboutDialog.h"
#include "AnsiText.h"
#include "AppFixture.h"
#include "CategoryNameDialog.h"
#include "EditCategoriesDialog.h"
#include "ExpenseDialog.h"
#include "ExportProgressDialog.h"
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
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCalendarWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace {

// The key a text gives ("&&" is a plain ampersand), if any.
std::optional<QChar> AccessKey(const QString& text) {
    for (qsizetype at = text.indexOf('&'); at >= 0 && at + 1 < text.size();
         at = text.indexOf('&', at + 2)) {
        if (text.at(at + 1) != '&')
            return text.at(at + 1).toLower();
    }
    return std::nullopt;
}

// A control inside another control (a combo box's line edit, a spin box's)
// or inside a window of its own is not the window's control.
bool PartOfWindow(const QWidget* widget, const QWidget* window) {
    if (widget->window() != window)
        return false;
    for (const QWidget* up = widget->parentWidget(); up != nullptr && up != window;
         up = up->parentWidget()) {
        if (qobject_cast<const QComboBox*>(up) != nullptr ||
            qobject_cast<const QAbstractSpinBox*>(up) != nullptr ||
            qobject_cast<const QCalendarWidget*>(up) != nullptr ||
            qobject_cast<const QMenu*>(up) != nullptr)
            return false;
    }
    return true;
}

bool IsInputField(const QWidget* widget) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
        return !edit->isReadOnly();
    if (const auto* edit = qobject_cast<const QPlainTextEdit*>(widget))
        return !edit->isReadOnly();
    if (const auto* edit = qobject_cast<const QTextEdit*>(widget))
        return !edit->isReadOnly();
    return qobject_cast<const QComboBox*>(widget) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(widget) != nullptr ||
           qobject_cast<const QAbstractItemView*>(widget) != nullptr;
}

// A field the window shows without a label, named by object or class name.
bool Unlabelled(const QWidget* widget, const QStringList& names) {
    return std::any_of(names.begin(), names.end(), [widget](const QString& name) {
        return widget->objectName() == name || widget->inherits(name.toLatin1().constData());
    });
}

std::string Describe(const QWidget* widget, const QString& text = QString()) {
    return QString("%1 \"%2\" (%3)")
        .arg(widget->metaObject()->className(), text, widget->objectName())
        .toStdString();
}

// Checks one window; keys taken already (a menu bar's) come in `keys`.
void CheckAccessKeys(const QWidget& window, const std::string& name,
                     const QStringList& unlabelledFields, std::map<QChar, std::string> keys) {
    SCOPED_TRACE(name);
    const auto take = [&keys](const QWidget* widget, const QString& text) {
        const std::optional<QChar> key = AccessKey(text);
        if (!key) {
            ADD_FAILURE() << Describe(widget, text) << " has no access key";
            return;
        }
        const auto [taken, fresh] = keys.emplace(*key, Describe(widget, text));
        EXPECT_TRUE(fresh) << Describe(widget, text) << " repeats the key of " << taken->second;
    };
    std::vector<const QWidget*> labelled;
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        if (!PartOfWindow(widget, &window))
            continue;
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            // A form's label of a value shown read-only names no field.
            if (label->buddy() != nullptr && (label->buddy()->focusPolicy() & Qt::TabFocus) != 0) {
                take(label, label->text());
                labelled.push_back(label->buddy());
            }
        } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
            if (group->isCheckable() || AccessKey(group->title()))
                take(group, group->title());
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            if ((button->focusPolicy() & Qt::TabFocus) != 0 && !button->text().isEmpty())
                take(button, button->text());
        }
    }
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        if (PartOfWindow(widget, &window) && (widget->focusPolicy() & Qt::TabFocus) != 0 &&
            IsInputField(widget) && !Unlabelled(widget, unlabelledFields))
            EXPECT_NE(std::find(labelled.begin(), labelled.end(), widget), labelled.end())
                << Describe(widget) << " has no label with an access key";
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

struct Window {
    std::unique_ptr<QWidget> owner;
    QWidget* shown = nullptr; // the window checked, owned by `owner`
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

template <typename T> Window Own(T* window) {
    return {std::unique_ptr<QWidget>(window), window};
}

// Every window of the program, and the fields it shows without a label.
const struct {
    const char* name;
    std::function<Window(Context&)> make;
    QStringList unlabelledFields;
} kWindows[] = {
    {"Trip",
     [](Context& c) {
         return Own(new CTripDialog(First<TripRecord>(c.doc.Trips()), c.doc.Vehicles(),
                                    c.doc.Trips().Categories, nullptr, nullptr, c.metric, false,
                                    c.frame));
     },
     {}},
    {"Vehicle",
     [](Context& c) {
         return Own(new CVehicleDialog(First<VehicleRecord>(c.doc.Vehicles()), c.doc.Vehicles(),
                                       c.metric, c.frame));
     },
     {}},
    {"Service Type",
     [](Context& c) {
         return Own(new CServiceTypeDialog(First<ServiceTypeRecord>(c.doc.ServiceTypes()),
                                           c.doc.ServiceTypes(), c.metric, c.frame));
     },
     {}},
    {"Service Record",
     [](Context& c) {
         return Own(new CServiceRecordDialog(First<ServiceRecord>(c.doc.Services()), c.doc,
                                             c.metric, false, c.frame));
     },
     {}},
    {"Expense",
     [](Context& c) {
         return Own(new CExpenseDialog(First<ExpenseRecord>(c.doc.Expenses()), c.doc, nullptr,
                                       nullptr, c.metric, c.frame));
     },
     {}},
    {"Edit Categories",
     [](Context& c) {
         return Own(
             new CEditCategoriesDialog(c.doc, true, true, &c.doc.Trips().Categories, c.frame));
     },
     {}},
    {"Category Name",
     [](Context& c) { return Own(new CCategoryNameDialog("Business", c.frame)); },
     {}},
    {"Select Category",
     [](Context& c) { return Own(new CSelectCategoryDialog(c.doc.Trips().Categories, c.frame)); },
     {}},
    {"Note",
     [](Context& c) { return Own(new CNoteDialog("Fuel receipt", c.frame)); },
     {"noteEdit"}},
    {"Settings", [](Context& c) { return Own(new CSettingsDialog(c.app, c.frame)); }, {}},
    {"About", [](Context& c) { return Own(new CAboutDialog("TvData.tv", c.frame)); }, {}},
    {"User List",
     [](Context& c) { return Own(new CUserListDialog(*c.app.UserManager(), c.frame)); },
     {"QListWidget"}},
    {"User Name", [](Context& c) { return Own(new CUserNameDialog("Ann", c.frame)); }, {}},
    {"Vehicle Statistics",
     [](Context& c) { return Own(new CStatisticsWindow(c.doc, c.frame)); },
     {}},
    {"Export Progress",
     [](Context& c) {
         // The progress dialog belongs to the export; a holder widget keeps both.
         struct Holder : QWidget {
             explicit Holder(CTvDeskDoc& doc) : hold(doc), progress(hold, this, "Exporting") {}
             CRecordHold hold;
             CExportProgressDialog progress;
         };
         auto* holder = new Holder(c.doc);
         return Window{std::unique_ptr<QWidget>(holder), holder->findChild<QProgressDialog*>()};
     },
     {}},
    // Further dialogs join here, one line each.
};

TEST_F(KeyboardTest, EveryControlOfEveryWindowHasAnAccessKeyOfItsOwn) {
    CTvDeskApp& app = *m_app;
    for (const bool metric : {false, true}) {
        Context context{app, app.Doc(), app.MainFrame(), metric};
        for (const auto& entry : kWindows) {
            const Window window = entry.make(context);
            ASSERT_NE(window.shown, nullptr) << entry.name;
            CheckAccessKeys(*window.shown, std::string(entry.name) + (metric ? ", metric" : ""),
                            entry.unlabelledFields, {});
        }
    }
}

TEST_F(KeyboardTest, TheMainWindowsControlsTakeNoKeyOfTheMenuBar) {
    CMainFrame& frame = *m_app->MainFrame();
    frame.OfferExpenseLog(true);
    std::map<QChar, std::string> menus;
    for (const QAction* menu : frame.menuBar()->actions())
        menus.emplace(AccessKey(menu->text()).value_or(' '), menu->text().toStdString());
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

TEST_F(KeyboardTest, UndoingAVehicleDeletionListsItsTripsAndServiceAgainInTheirOrder) {
    CMainFrame& frame = *m_app->MainFrame();
    CTvDeskDoc& document = m_app->Doc();
    ASSERT_NE(document.SelectedVehicle, nullptr);
    const VehicleRecord& vehicle = *document.SelectedVehicle;
    // Every cell of the log's rows for the vehicle, row by row.
    const auto listed = [&frame, &vehicle](int log) {
        frame.TabForm()->SwitchLog(log);
        QApplication::processEvents();
        frame.TabForm()->SelectVehicle(vehicle.VehicleId);
        const QAbstractItemModel& model = *frame.RightView()->model();
        QStringList rows;
        for (int row = 0; row < model.rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model.columnCount(); ++column)
                cells << model.index(row, column).data().toString();
            rows << cells.join('|');
        }
        return rows;
    };
    const QStringList trips = listed(LogIndex::kTripLog);
    const QStringList services = listed(LogIndex::kServiceLog);
    ASSERT_GT(trips.size(), 1);
    ASSERT_GT(services.size(), 1);

    frame.TabForm()->SwitchLog(LogIndex::kVehicleList);
    QApplication::processEvents();
    CLogView& vehicles = *frame.RightView();
    const QModelIndexList names =
        vehicles.model()->match(vehicles.model()->index(0, 0), Qt::DisplayRole,
                                AnsiText::ToQString(vehicle.Name.View()), 1, Qt::MatchExactly);
    ASSERT_EQ(names.size(), 1);
    vehicles.selectionModel()->select(names.front(), QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    MessageBox::setNextAnswer(MessageBox::Yes);
    frame.findChild<QAction*>("actionDelete")->trigger();
    ASSERT_TRUE(vehicle.IsDeleted());

    frame.findChild<QAction*>("actionUndo")->trigger();
    EXPECT_EQ(listed(LogIndex::kTripLog), trips);
    EXPECT_EQ(listed(LogIndex::kServiceLog), services);
}

} // namespace
