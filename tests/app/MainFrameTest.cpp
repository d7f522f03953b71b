#include "MainFrame.h"
#include "AppFixture.h"
#include "ExpenseView.h"
#include "HandOverProtocol.h"
#include "LogView.h"
#include "ServiceTypeView.h"
#include "ServiceView.h"
#include "ShellErrors.h"
#include "TabForm.h"
#include "TripView.h"
#include "TvDeskDoc.h"
#include "VehicleView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSet>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QUrl>
#include <map>
#include <set>
#include <vector>

namespace {

// Receives what the program asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

// A list that notes what the frame passes on to it.
class RecordingView : public CTripView {
public:
    using CTripView::CTripView;
    void OnDocumentUpdate(int hint) override {
        ++updates;
        CTripView::OnDocumentUpdate(hint);
    }
    void OnFilePrint(QPrinter&, const ReportRate&) override { ++prints; }
    void OnFilePrintPreview(QPrinter&, const ReportRate&) override { ++previews; }

    int updates = 0;
    int prints = 0;
    int previews = 0;
};

class MainFrameTest : public FrameFixture {
protected:
    // Clicks a log's radio button and lets the posted switch arrive.
    void Choose(int log) {
        m_frame->TabForm()->findChildren<QRadioButton*>().at(log)->click();
        QApplication::processEvents();
    }

    QAction* Action(const char* name) const { return m_frame->findChild<QAction*>(name); }

    // The entries a user sees: hidden ones are left out.
    static QStringList EntriesOf(const QMenu* menu) {
        QStringList entries;
        for (const QAction* action : menu->actions()) {
            if (!action->isVisible())
                continue;
            QString entry = action->isSeparator() ? "-" : action->text();
            if (!action->shortcut().isEmpty())
                entry += "\t" + action->shortcut().toString();
            entries << entry;
        }
        return entries;
    }
};

TEST_F(MainFrameTest, EachLogShowsItsListAndTitleOnTheSameDocument) {
    EXPECT_NE(dynamic_cast<CTripView*>(m_frame->RightView()), nullptr);
    EXPECT_EQ(m_frame->windowTitle(), "Trip Log");
    const std::string path = m_app->Doc().PathName();

    const struct {
        int log;
        const char* title;
        bool (*isRightClass)(CLogView*);
    } logs[] = {
        {LogIndex::kServiceLog, "Service Log",
         [](CLogView* v) { return dynamic_cast<CServiceView*>(v) != nullptr; }},
        {LogIndex::kServiceTypes, "Service Type List",
         [](CLogView* v) { return dynamic_cast<CServiceTypeView*>(v) != nullptr; }},
        {LogIndex::kVehicleList, "Vehicle List",
         [](CLogView* v) { return dynamic_cast<CVehicleView*>(v) != nullptr; }},
        {LogIndex::kTripLog, "Trip Log",
         [](CLogView* v) { return dynamic_cast<CTripView*>(v) != nullptr; }},
    };
    for (const auto& expected : logs) {
        Choose(expected.log);
        CLogView* view = m_frame->RightView();
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(expected.isRightClass(view)) << expected.title;
        EXPECT_EQ(view->LogIndex(), expected.log);
        EXPECT_EQ(m_frame->windowTitle(), expected.title);
        EXPECT_EQ(&view->Document(), &m_app->Doc());
        EXPECT_EQ(m_app->Doc().PathName(), path);
        EXPECT_TRUE(view->isVisible());
    }

    // The expense log is complete, though no button offers it.
    m_frame->ShowLog(LogIndex::kExpenseLog);
    EXPECT_NE(dynamic_cast<CExpenseView*>(m_frame->RightView()), nullptr);
    EXPECT_EQ(m_frame->windowTitle(), "Expense Log");
}

TEST_F(MainFrameTest, ChoosingTheShownLogKeepsItsListAndOtherIndexesDoNothing) {
    CLogView* trips = m_frame->RightView();
    m_frame->ShowLog(LogIndex::kTripLog);
    EXPECT_EQ(m_frame->RightView(), trips);
    m_frame->ShowLog(5);
    m_frame->ShowLog(-1);
    EXPECT_EQ(m_frame->RightView(), trips);
}

TEST_F(MainFrameTest, ColumnHeadingsFollowTheUnitsOfTheData) {
    const auto headings = [this] {
        QStringList titles;
        QAbstractItemModel* model = m_frame->RightView()->model();
        for (int column = 0; column < model->columnCount(); ++column)
            titles << model->headerData(column, Qt::Horizontal).toString();
        return titles;
    };
    EXPECT_EQ(headings(),
              QStringList({"Date", "Destination", "Start Miles", "End Miles", "Distance"}));
    EXPECT_EQ(m_frame->RightView()->header()->sectionSize(2), 100);

    m_app->Doc().Trips().Settings[0] |= RecordStore::kUnitsKilometres;
    m_frame->RebuildActiveView();
    EXPECT_EQ(headings(), QStringList({"Date", "Destination", "Start Kilometers", "End Kilometers",
                                       "Distance"}));
    EXPECT_EQ(m_frame->RightView()->header()->sectionSize(2), 120);
    Choose(LogIndex::kVehicleList);
    EXPECT_EQ(headings(), QStringList({"Name", "License", "Vin", "Kilometers", "Insurance"}));
    Choose(LogIndex::kServiceLog);
    EXPECT_EQ(headings(), QStringList({"Date", "Complete", "Type", "Kilometers"}));
    Choose(LogIndex::kServiceTypes);
    EXPECT_EQ(headings(), QStringList({"Name", "Time Schedule", "Distance Schedule"}));
}

TEST_F(MainFrameTest, PrintingIsOfferedOnlyForLogsWithAReport) {
    for (const int log : {LogIndex::kServiceTypes, LogIndex::kVehicleList}) {
        Choose(log);
        EXPECT_FALSE(Action("actionPrint")->isEnabled()) << log;
        EXPECT_FALSE(Action("actionPrintPreview")->isEnabled()) << log;
    }
    for (const int log : {LogIndex::kServiceLog, LogIndex::kTripLog}) {
        Choose(log);
        EXPECT_TRUE(Action("actionPrint")->isEnabled()) << log;
        EXPECT_TRUE(Action("actionPrintPreview")->isEnabled()) << log;
    }
}

TEST_F(MainFrameTest, TheFilterAndPrintRequestsReachTheListOnTheRight) {
    m_frame->SetViewFactory(
        [](int, CTvDeskDoc& document, int& sortCode, QWidget* parent) -> CLogView* {
            return new RecordingView(document, sortCode, parent);
        });
    Choose(LogIndex::kVehicleList); // still the stock list
    Choose(LogIndex::kTripLog);
    auto* view = dynamic_cast<RecordingView*>(m_frame->RightView());
    ASSERT_NE(view, nullptr);

    view->updates = 0;
    m_frame->TabForm()->ApplyFilter();
    EXPECT_EQ(view->updates, 1);

    Action("actionPrint")->trigger();
    Action("actionPrintPreview")->trigger();
    Action("actionPrintPreview")->trigger();
    EXPECT_EQ(view->prints, 1);
    EXPECT_EQ(view->previews, 2);
}

TEST_F(MainFrameTest, EveryMenuEntryHasAnAccessKeyOfItsOwnAndTheStandardShortcutsWork) {
    m_frame->OfferExpenseLog(true);
    QList<QMenu*> menus = m_frame->menuBar()->findChildren<QMenu*>();
    menus.push_back(nullptr); // the menu bar itself
    for (const QMenu* menu : menus) {
        const QList<QAction*> actions =
            menu != nullptr ? menu->actions() : m_frame->menuBar()->actions();
        QSet<QChar> keys;
        for (const QAction* action : actions) {
            if (action->isSeparator())
                continue;
            const QString text = action->text();
            const qsizetype amp = text.indexOf('&');
            ASSERT_GE(amp, 0) << text.toStdString();
            const QChar key = text.at(amp + 1).toLower();
            EXPECT_FALSE(keys.contains(key)) << text.toStdString();
            keys.insert(key);
        }
    }
    const std::pair<const char*, QKeySequence> shortcuts[] = {
        {"actionUndo", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {"actionRedo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        {"actionPrint", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"actionUserGuide", QKeySequence(Qt::Key_F1)},
        {"actionExit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
    };
    for (const auto& [name, keys] : shortcuts)
        EXPECT_EQ(Action(name)->shortcut(), keys) << name;
    EXPECT_TRUE(Action("actionRedo")->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
}

TEST_F(MainFrameTest, TheExportMenuOffersTheTripAndServiceExportsUntilTheExpenseLogIsShown) {
    EXPECT_EQ(EntriesOf(m_frame->findChild<QMenu*>("menuExport")),
              QStringList({"Trip Log to &Text File", "Trip Log To E&xcel", "-",
                           "&Service Log To Text File", "Ser&vice Log To Excel", "-",
                           "Service Schedule to &Calendar (.ics)..."}));
}

TEST_F(MainFrameTest, TheStatusBarShowsReadyAndTheLockKeysAndCanBeHidden) {
    QStatusBar* bar = m_frame->statusBar();
    EXPECT_EQ(bar->currentMessage(), "Ready");
    for (const char* name : {"indicatorCaps", "indicatorNum", "indicatorScroll"})
        EXPECT_NE(bar->findChild<QWidget*>(name), nullptr) << name;
    m_frame->show();
    Action("actionStatusBar")->trigger();
    EXPECT_FALSE(bar->isVisible());
    Action("actionStatusBar")->trigger();
    EXPECT_TRUE(bar->isVisible());
}

TEST_F(MainFrameTest, HoveringAnyMenuCommandShowsItsPromptAndLeavingShowsReady) {
    // The commands whose prompts the document's and the about box's commands
    // name; every other command needs a prompt of its own all the same.
    const std::map<QString, QString> named = {
        {"actionEditCategories", "Edit the categories. "},
        {"actionSettings", "Edit the Tarvenly settings."},
        {"actionAbout", "Version information."},
        {"actionExportTripExcel", "Export the trip log to excel spread sheet."},
        {"actionExportTripText", "Export the trip log to a text file."},
        {"actionExportServiceExcel", "Export the service log to excel spread sheet."},
        {"actionExportServiceText", "Export the service log to a delimited text file."},
    };
    QStatusBar* bar = m_frame->statusBar();
    // A menu shows an entry's prompt through the widget it was opened from.
    QMenuBar* opener = m_frame->menuBar();
    std::set<QString> seen;
    const QList<QMenu*> menus = opener->findChildren<QMenu*>();
    ASSERT_GE(menus.size(), 5);
    for (const QMenu* menu : menus) {
        for (QAction* action : menu->actions()) {
            if (action->isSeparator() || action->menu() != nullptr)
                continue;
            seen.insert(action->objectName());
            // What the menu does when the pointer rests on an entry.
            action->showStatusText(opener);
            EXPECT_FALSE(bar->currentMessage().trimmed().isEmpty())
                << action->objectName().toStdString();
            EXPECT_NE(bar->currentMessage(), "Ready") << action->objectName().toStdString();
            const auto expected = named.find(action->objectName());
            if (expected != named.end()) {
                EXPECT_EQ(bar->currentMessage(), expected->second);
            }
            QStatusTipEvent leave{QString()};
            QApplication::sendEvent(opener, &leave);
            EXPECT_EQ(bar->currentMessage(), "Ready");
        }
    }
    for (const auto& [name, text] : named)
        EXPECT_TRUE(seen.count(name)) << name.toStdString() << " is not in the menus";
}

TEST_F(MainFrameTest, TheHotSyncProbeIsAnsweredWithItsOwnNumber) {
    EXPECT_EQ(m_frame->OnHotSyncMessage(HandOver::Probe, 0), HandOver::kHotSyncMessage);
    EXPECT_EQ(m_frame->OnHotSyncMessage(3, 0), 0u);
    EXPECT_EQ(m_frame->OnHotSyncMessage(4, 0), 0u);
    EXPECT_EQ(m_frame->OnHotSyncMessage(77, 0), 0u);
}

TEST_F(MainFrameTest, TheUserGuideIsOpenedBesideTheProgramOrReportedMissing) {
    QTemporaryDir install;
    ASSERT_TRUE(install.isValid());
    {
        QSettings key(QSettings::NativeFormat, QSettings::UserScope, "Brisklane", "Tarvenly");
        key.setValue("3.0/Tarvenly Path", install.path());
    }
    const QString guide = install.path() + "/TvUserGuide.html";
    EXPECT_EQ(m_frame->UserGuidePath(), guide);

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    Action("actionUserGuide")->trigger();
    EXPECT_TRUE(catcher.opened.isEmpty());
    EXPECT_EQ(MessageBox::shownTexts(), QStringList({"The specified file was not found.",
                                                     QString("Couldn't open %1.").arg(guide)}));

    MessageBox::clearShownTexts();
    QFile file(guide);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    Action("actionUserGuide")->trigger();
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_EQ(catcher.opened, QList<QUrl>({QUrl::fromLocalFile(guide)}));
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());

    // Without an installation the guide is looked for beside the program.
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Brisklane", "Tarvenly").clear();
    EXPECT_EQ(m_frame->UserGuidePath(),
              QCoreApplication::applicationDirPath() + "/TvUserGuide.html");
}

TEST_F(MainFrameTest, TheWebSiteOpensInTheBrowser) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    Action("actionWebSite")->trigger();
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(catcher.opened, QList<QUrl>({QUrl("https://www.tarvenly.com/")}));
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
}

// The toolbar's user box over a user store that changes while the program
// runs, as Palm Desktop changes it.
class UserSelectorTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        AddUser(1, "Ann");
        AddUser(2, "Bob");
        AddUser(3, "Unreadable").NameError = UserManagerError::InvalidUser;
        ASSERT_TRUE(Start());
        m_box = m_app->MainFrame()->findChild<QComboBox*>("userSelector");
        ASSERT_NE(m_box, nullptr);
        m_store = dynamic_cast<FakeUserManager*>(m_app->UserManager());
        ASSERT_NE(m_store, nullptr);
        // Filling the box at start reported the unreadable user once.
        ASSERT_EQ(MessageBox::shownTexts(), QStringList("UserData error: Invalid user."));
        MessageBox::clearShownTexts();
    }

    // A user added behind the program's back.
    void AddToStore(std::uint32_t id, const std::string& name) {
        QDir(m_folder.path()).mkpath(QString::fromStdString(name));
        m_store->Users.push_back({id, name, name});
    }

    void Choose(const QString& name) {
        const int index = m_box->findText(name);
        ASSERT_GE(index, 0) << name.toStdString();
        m_box->setCurrentIndex(index);
        emit m_box->activated(index);
    }

    QStringList Entries() const {
        QStringList names;
        for (int i = 0; i < m_box->count(); ++i)
            names << m_box->itemText(i);
        return names;
    }

    QComboBox* m_box = nullptr;
    FakeUserManager* m_store = nullptr;
};

TEST_F(UserSelectorTest, ChoosingAUserSwitchesWithoutReadingTheUsersAgain) {
    AddToStore(4, "Cy");
    Choose("Bob");
    EXPECT_EQ(m_app->CurrentUser, "Bob");
    EXPECT_EQ(m_app->Doc().PathName(), DataFileOf("Bob"));
    EXPECT_EQ(Entries(), QStringList({"Ann", "Bob"}));
    EXPECT_EQ(m_box->currentText(), "Bob");
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty())
        << MessageBox::shownTexts().join("\n").toStdString();

    // HotSync's request reads them again, with the error of the bad one.
    EXPECT_EQ(m_app->MainFrame()->OnHotSyncMessage(HandOver::RefillUsers, 0), 0u);
    EXPECT_EQ(Entries(), QStringList({"Ann", "Bob", "Cy"}));
    EXPECT_EQ(m_box->currentText(), "Bob");
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("UserData error: Invalid user."));
}

TEST_F(UserSelectorTest, ChoosingAUserWhoIsGoneShowsTheUserWhoseDataOpened) {
    // Palm Desktop deleted Bob after the box was filled.
    std::erase_if(m_store->Users, [](const FakeUserManager::User& user) { return user.Id == 2; });
    Choose("Bob");
    // The switch fell back to the first usable user.
    EXPECT_EQ(m_app->CurrentUser, "Ann");
    EXPECT_EQ(m_app->Doc().PathName(), DataFileOf("Ann"));
    EXPECT_EQ(m_box->currentText(), "Ann");
    EXPECT_EQ(Entries(), QStringList({"Ann", "Bob"}));
}

TEST(ShellErrors, EachResultHasItsText) {
    EXPECT_EQ(ShellErrors::ShellErrorText(0),
              "The operating system is out of memory or resources.");
    EXPECT_EQ(ShellErrors::ShellErrorText(5),
              "The operating system denied access to the specified file.");
    EXPECT_EQ(ShellErrors::ShellErrorText(11),
              QString::fromUtf8("The .exe file is invalid (non-Win32\u00AE .exe or error in .exe "
                                "image)."));
    EXPECT_EQ(ShellErrors::ShellErrorText(32), "The specified dynamic-link library was not found.");
    EXPECT_EQ(ShellErrors::ShellErrorText(1), "ShellExecute failed with error code: 1.");
    EXPECT_EQ(ShellErrors::ShellErrorText(4000000000u),
              "ShellExecute failed with error code: 4000000000.");
}

} // namespace

#include "MainFrameTest.moc"
