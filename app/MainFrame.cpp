#include "MainFrame.h"

#include "EditCategoriesDialog.h"
#include "ExpenseView.h"
#include "ExportCommands.h"
#include "HandOverProtocol.h"
#include "ImportCommands.h"
#include "LogView.h"
#include "MessageBox.h"
#include "ModalDialog.h"
#include "RecordHold.h"
#include "ReportPrinting.h"
#include "ServiceTypeView.h"
#include "ServiceView.h"
#include "ShellErrors.h"
#include "StatisticsWindow.h"
#include "TabForm.h"
#include "TripView.h"
#include "TvDeskApp.h"
#include "TvDeskDoc.h"
#include "UserListDialog.h"
#include "VehicleView.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>
#include <QUrl>
#include <utility>

namespace {

constexpr int kUserNameBufferSize = 256;
constexpr int kUserLabelWidth = 60;
constexpr int kUserSelectorWidth = 120;
constexpr int kLockPollMilliseconds = 400;

CLogView* MakeLogView(int log, CTvDeskDoc& document, int& sortCode, QWidget* parent) {
    switch (log) {
    case LogIndex::kTripLog:
        return new CTripView(document, sortCode, parent);
    case LogIndex::kServiceLog:
        return new CServiceView(document, sortCode, parent);
    case LogIndex::kServiceTypes:
        return new CServiceTypeView(document, sortCode, parent);
    case LogIndex::kVehicleList:
        return new CVehicleView(document, sortCode, parent);
    case LogIndex::kExpenseLog:
        return new CExpenseView(document, sortCode, parent);
    default:
        return nullptr;
    }
}

QAction* MakeAction(QObject* parent, const QString& text, const char* name, const QString& tip) {
    auto* action = new QAction(text, parent);
    action->setObjectName(name);
    action->setStatusTip(tip);
    return action;
}

} // namespace

// The icons are compiled into a static library, so they are registered by hand.
static void InitUiResources() {
    Q_INIT_RESOURCE(icons);
}

CMainFrame::CMainFrame(CTvDeskApp& app, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_makeView(MakeLogView) {
    InitUiResources();
    setObjectName("MainFrame");
    setWindowIcon(QIcon(":/icons/tvdesk.svg"));
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    CTvDeskDoc& document = m_app.Doc();
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setChildrenCollapsible(false);
    m_tabForm = new CTabForm(document, m_splitter);
    m_splitter->addWidget(m_tabForm);
    setCentralWidget(m_splitter);
    // The pane tells the frame of a new log after its own work is done.
    connect(m_tabForm, &CTabForm::logChanged, this, &CMainFrame::ShowLog, Qt::QueuedConnection);
    // The Edit menu names the steps of the history; an undone units change
    // renames the columns again; a reload that throws history away says so.
    QUndoStack& history = document.UndoStack();
    connect(&history, &QUndoStack::indexChanged, this, &CMainFrame::UpdateCommandStates);
    connect(&history, &QUndoStack::cleanChanged, this, &CMainFrame::UpdateCommandStates);
    connect(&document, &CTvDeskDoc::documentChanged, this, [this](const DocumentChange& change) {
        const StoreChange* trips = change.Find(StoreKind::Trips);
        if (change.IsReplay() && trips != nullptr && trips->settings)
            RebuildActiveView();
    });
    connect(&document, &CTvDeskDoc::undoHistoryCleared, this, [this](const QString& text) {
        if (!text.isEmpty())
            statusBar()->showMessage(text);
    });

    // The layout and sort codes of the last run, where there was one.
    m_memory.SortCodes = m_app.SortCodes;
    m_memory.Load();
    m_app.SortCodes = m_memory.SortCodes;
    AttachView(
        m_makeView(LogIndex::kTripLog, document, m_app.SortCodes[LogIndex::kTripLog], m_splitter));
    m_splitter->setSizes({CTabForm::kWidth, 760});
    resize(960, 600);
    if (!m_memory.Geometry.isEmpty())
        restoreGeometry(m_memory.Geometry);
    if (!m_memory.Splitter.isEmpty())
        m_splitter->restoreState(m_memory.Splitter);
    m_view->OnInitialUpdate();
    RestoreColumnWidths();
    m_view->setFocus();
    m_tabForm->RebuildVehicleBox();

    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::UpdateCommandStates);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            &CMainFrame::UpdateCommandStates);
    FillUserList();
    // The setting's state, without the toggle's side effects at start.
    m_expenseLogShown->setChecked(m_app.ShowExpenseLog);
    OfferExpenseLog(m_app.ShowExpenseLog);
    UpdateCommandStates();
}

void CMainFrame::OfferExpenseLog(bool offered) {
    m_app.ShowExpenseLog = offered;
    for (QAction* entry : m_expenseExports)
        entry->setVisible(offered);
    m_tabForm->OfferExpenseLog(offered);
}

CMainFrame::~CMainFrame() {
    // The pane and the views go before the frame's members they refer to.
    disconnect(qApp, nullptr, this, nullptr);
    delete m_printer;
}

void CMainFrame::CreateActions() {
    m_print = MakeAction(this, "&Print...", "actionPrint", "Print the log's report");
    m_print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    m_print->setIcon(QIcon(":/icons/document-print.svg"));
    connect(m_print, &QAction::triggered, this, &CMainFrame::OnFilePrint);
    m_printPreview =
        MakeAction(this, "Print Pre&view", "actionPrintPreview", "Show the report's pages");
    connect(m_printPreview, &QAction::triggered, this, &CMainFrame::OnFilePrintPreview);
    m_printSetup = MakeAction(this, "P&rint Setup...", "actionPrintSetup",
                              "Choose the printer, the paper and the margins");
    connect(m_printSetup, &QAction::triggered, this, &CMainFrame::OnPrintSetup);
    m_exit = MakeAction(this, "E&xit", "actionExit", "Save the changes and quit");
    m_exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(m_exit, &QAction::triggered, this, &QWidget::close);

    // Undo and Redo act on a focused text field that has something to undo,
    // else on the document's history. The menu shows Ctrl+Z, so it works as
    // well as the classic Alt+Backspace.
    m_undo = MakeAction(this, "&Undo", "actionUndo", "Undo the last edit");
    m_undo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    m_redo = MakeAction(this, "&Redo", "actionRedo", "Redo the edit undone last");
    m_redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    m_cut = MakeAction(this, "Cu&t", "actionCut", "Cut the selection to the clipboard");
    m_cut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    m_cut->setIcon(QIcon(":/icons/edit-cut.svg"));
    m_copy = MakeAction(this, "&Copy", "actionCopy", "Copy the selection to the clipboard");
    m_copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    m_copy->setIcon(QIcon(":/icons/edit-copy.svg"));
    m_paste = MakeAction(this, "&Paste", "actionPaste", "Insert the clipboard's text");
    m_paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    m_paste->setIcon(QIcon(":/icons/edit-paste.svg"));
    for (QAction* action : {m_undo, m_redo, m_cut, m_copy, m_paste})
        connect(action, &QAction::triggered, this, [this, action] { OnEditCommand(action); });

    m_edit = MakeAction(this, "&Edit", "actionEdit", "Edit the selected record");
    m_new = MakeAction(this, "&New", "actionNew", "Add a record");
    m_new->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    // The list takes the Delete key itself, with the same command.
    m_delete = MakeAction(this, "&Delete", "actionDelete", "Delete the selected records");
    m_editCategories =
        MakeAction(this, "Edit Cate&gories...", "actionEditCategories", "Edit the categories. ");
    connect(m_editCategories, &QAction::triggered, this, &CMainFrame::OnEditCategories);
    // The record commands go to the list on the right.
    connect(m_edit, &QAction::triggered, this, [this] {
        if (m_view != nullptr)
            m_view->OnEditRecord();
    });
    connect(m_new, &QAction::triggered, this, [this] {
        if (m_view != nullptr)
            m_view->OnNewRecord();
    });
    connect(m_delete, &QAction::triggered, this, [this] {
        if (m_view != nullptr)
            m_view->OnDeleteRecords();
    });
    m_editUsers = MakeAction(this, "Edit U&sers", "actionEditUsers", "Edit Palm Desktop's users");
    connect(m_editUsers, &QAction::triggered, this, &CMainFrame::OnEditUsers);

    m_statusBarShown =
        MakeAction(this, "&Status Bar", "actionStatusBar", "Show or hide the status bar");
    m_statusBarShown->setCheckable(true);
    m_statusBarShown->setChecked(true);
    m_expenseLogShown = MakeAction(this, "&Expense Log", "actionExpenseLog",
                                   "Show or hide the expense log and its exports");
    m_expenseLogShown->setCheckable(true);
    connect(m_expenseLogShown, &QAction::toggled, this, &CMainFrame::OfferExpenseLog);
    m_settings = MakeAction(this, "Se&ttings...", "actionSettings", "Edit the Tarvenly settings.");
    connect(m_settings, &QAction::triggered, this, [this] { m_app.OnSettings(); });

    m_webSite = MakeAction(this, "Tarvenly on the &Web", "actionWebSite",
                           "Open the Tarvenly web site in your browser");
    connect(m_webSite, &QAction::triggered, this, &CMainFrame::OnWebSite);
    m_userGuide = MakeAction(this, "&User Guide...", "actionUserGuide", "Open the user guide");
    m_userGuide->setShortcut(QKeySequence::HelpContents);
    connect(m_userGuide, &QAction::triggered, this, &CMainFrame::OnUserGuide);
    m_about = MakeAction(this, "&About TvDesk...", "actionAbout", "Version information.");
    m_about->setIcon(QIcon(":/icons/help-about.svg"));
    connect(m_about, &QAction::triggered, this, [this] { m_app.OnAppAbout(); });
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("menuFile");
    file->addAction(m_print);
    file->addAction(m_printPreview);
    file->addAction(m_printSetup);
    file->addSeparator();
    // The import goes into the log shown, or the one chosen in its dialog.
    QAction* import = MakeAction(file, "&Import...", "actionImport",
                                 "Import records from a CSV, text or Excel file.");
    connect(import, &QAction::triggered, this, [this] {
        const int shown = m_view != nullptr ? m_view->LogIndex() : LogIndex::kTripLog;
        const ImportLog log = shown == LogIndex::kServiceLog    ? ImportLog::Services
                              : shown == LogIndex::kVehicleList ? ImportLog::Vehicles
                              : shown == LogIndex::kExpenseLog  ? ImportLog::Expenses
                                                                : ImportLog::Trips;
        // The lists are filled again; the filter pane keeps its vehicle.
        const VehicleRecord* selected = m_app.Doc().SelectedVehicle;
        const std::uint32_t vehicle = selected != nullptr ? selected->VehicleId : 0;
        if (ImportCommands::Import(m_app.Doc(), log, this) != 0 && selected != nullptr)
            m_tabForm->SelectVehicle(vehicle);
    });
    file->addAction(import);
    m_exportMenu = file->addMenu("&Export");
    m_exportMenu->setObjectName("menuExport");
    const struct {
        const char* text;
        const char* name;
        const char* tip;
    } exports[] = {
        {"Trip Log to &Text File", "actionExportTripText", "Export the trip log to a text file."},
        {"Trip Log To E&xcel", "actionExportTripExcel",
         "Export the trip log to excel spread sheet."},
        {nullptr, nullptr, nullptr},
        {"&Service Log To Text File", "actionExportServiceText",
         "Export the service log to a delimited text file."},
        {"Ser&vice Log To Excel", "actionExportServiceExcel",
         "Export the service log to excel spread sheet."},
        {nullptr, nullptr, nullptr},
        {"&Expense Log To Text File", "actionExportExpenseText",
         "Export the expense log to a delimited text file."},
        {"Expense &Log To Excel", "actionExportExpenseExcel",
         "Export the expense log to excel spread sheet."},
        {nullptr, nullptr, nullptr},
        {"Service Schedule to &Calendar (.ics)...", "actionExportServiceCalendar",
         "Export the planned service of every vehicle to a calendar file."},
    };
    for (const auto& entry : exports) {
        if (entry.text == nullptr) {
            m_exportMenu->addSeparator();
            continue;
        }
        QAction* action = MakeAction(m_exportMenu, entry.text, entry.name, entry.tip);
        m_exportMenu->addAction(action);
        // Each export is offered by its log's list.
        action->setEnabled(false);
    }
    // An export writes its log under the filter pane's filter; the text
    // exports take the delimiter and date format of the settings. The log
    // whose list offers it goes in the action's data.
    const struct {
        const char* name;
        int list;
        ExportLog log;
        bool excel;
    } commands[] = {
        {"actionExportTripText", LogIndex::kTripLog, ExportLog::Trips, false},
        {"actionExportTripExcel", LogIndex::kTripLog, ExportLog::Trips, true},
        {"actionExportServiceText", LogIndex::kServiceLog, ExportLog::Services, false},
        {"actionExportServiceExcel", LogIndex::kServiceLog, ExportLog::Services, true},
        {"actionExportExpenseText", LogIndex::kExpenseLog, ExportLog::Expenses, false},
        {"actionExportExpenseExcel", LogIndex::kExpenseLog, ExportLog::Expenses, true},
    };
    for (const auto& command : commands) {
        QAction* action = m_exportMenu->findChild<QAction*>(command.name);
        action->setData(command.list);
        connect(action, &QAction::triggered, this, [this, command] {
            if (command.excel)
                ExportCommands::ExportToExcel(m_app.Doc(), command.log, this);
            else
                ExportCommands::ExportToText(m_app.Doc(), command.log,
                                             {m_app.Delimiter, m_app.DateTimeExportFormat}, this);
        });
    }
    QAction* calendar = m_exportMenu->findChild<QAction*>("actionExportServiceCalendar");
    calendar->setData(LogIndex::kServiceLog);
    connect(calendar, &QAction::triggered, this,
            [this] { ExportCommands::ExportServiceCalendar(m_app.Doc(), this); });
    // The expense log's two exports and the separator before them are shown
    // only while the window offers the expense log.
    for (const int position : {5, 6, 7})
        m_expenseExports.push_back(m_exportMenu->actions().at(position));
    file->addSeparator();
    file->addAction(m_exit);

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->setObjectName("menuEdit");
    edit->addActions({m_undo, m_redo});
    edit->addSeparator();
    edit->addActions({m_cut, m_copy, m_paste});
    edit->addSeparator();
    edit->addActions({m_edit, m_new, m_delete});
    edit->addSeparator();
    edit->addActions({m_editCategories, m_editUsers});
    connect(edit, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);

    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("menuView");
    view->addAction(m_statusBarShown);
    view->addAction(m_expenseLogShown);
    QAction* statistics =
        MakeAction(view, "&Vehicle Statistics...", "actionVehicleStatistics",
                   "Show the figures and charts of the chosen vehicle and date range");
    connect(statistics, &QAction::triggered, this, &CMainFrame::OnVehicleStatistics);
    view->addAction(statistics);
    view->addAction(m_settings);

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("menuHelp");
    help->addAction(m_webSite);
    help->addAction(m_userGuide);
    help->addSeparator();
    help->addAction(m_about);
}

void CMainFrame::CreateToolBar() {
    QToolBar* toolbar = addToolBar("Standard");
    toolbar->setObjectName("toolBar");
    toolbar->setIconSize(QSize(16, 16));
    toolbar->setAllowedAreas(Qt::AllToolBarAreas);
    toolbar->addActions({m_cut, m_copy, m_paste});
    toolbar->addSeparator();
    toolbar->addActions({m_print, m_about});
    toolbar->addSeparator();

    QFont font("Arial");
    font.setPixelSize(12);
    auto* userLabel = new QLabel("&User:", toolbar);
    userLabel->setAlignment(Qt::AlignCenter);
    userLabel->setFixedWidth(kUserLabelWidth);
    userLabel->setFont(font);
    toolbar->addWidget(userLabel);
    m_users = new QComboBox(toolbar);
    m_users->setObjectName("userSelector");
    m_users->setFont(font);
    m_users->setFixedWidth(kUserSelectorWidth);
    m_users->setToolTip("The Palm user whose data is shown");
    m_users->setStatusTip("Choose the Palm user whose data is shown");
    userLabel->setBuddy(m_users);
    toolbar->addWidget(m_users);
    connect(m_users, &QComboBox::activated, this, &CMainFrame::OnUserChosen);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    const auto indicator = [bar](const QString& text) {
        auto* label = new QLabel(bar);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(text) + 12);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        bar->addPermanentWidget(label);
        return label;
    };
    m_capsLock = indicator("CAP");
    m_numLock = indicator("NUM");
    m_scrollLock = indicator("SCRL");
    m_capsLock->setObjectName("indicatorCaps");
    m_numLock->setObjectName("indicatorNum");
    m_scrollLock->setObjectName("indicatorScroll");
    bar->showMessage("Ready");
    connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& message) {
        if (message.isEmpty())
            bar->showMessage("Ready");
    });
    connect(m_statusBarShown, &QAction::toggled, bar, &QWidget::setVisible);

    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &CMainFrame::UpdateLockIndicators);
    poll->start(kLockPollMilliseconds);
    UpdateLockIndicators();
}

void CMainFrame::UpdateLockIndicators() {
    m_capsLock->setText(m_lockKeys.CapsLock() ? "CAP" : QString());
    m_numLock->setText(m_lockKeys.NumLock() ? "NUM" : QString());
    m_scrollLock->setText(m_lockKeys.ScrollLock() ? "SCRL" : QString());
}

QLineEdit* CMainFrame::FocusedLineEdit() const {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || focus->window() != this)
        return nullptr;
    if (auto* edit = qobject_cast<QLineEdit*>(focus))
        return edit;
    if (qobject_cast<QAbstractSpinBox*>(focus) != nullptr)
        return focus->findChild<QLineEdit*>();
    return nullptr;
}

void CMainFrame::UpdateCommandStates() {
    const bool hasReport = m_view != nullptr && m_view->HasReport();
    m_print->setEnabled(hasReport);
    m_printPreview->setEnabled(hasReport);

    const bool hasRecords = m_view != nullptr && m_view->HasRecordCommands();
    m_edit->setEnabled(hasRecords);
    m_new->setEnabled(hasRecords);
    m_delete->setEnabled(hasRecords);

    const QLineEdit* edit = FocusedLineEdit();
    const bool writable = edit != nullptr && !edit->isReadOnly();
    // The field's own undo comes first while it has one.
    QUndoStack& history = m_app.Doc().UndoStack();
    const bool fieldUndo = writable && edit->isUndoAvailable();
    m_undo->setEnabled(fieldUndo || history.canUndo());
    m_undo->setText(fieldUndo || !history.canUndo() ? QString("&Undo")
                                                    : "&Undo " + history.undoText());
    const bool fieldRedo = writable && edit->isRedoAvailable();
    m_redo->setEnabled(fieldRedo || history.canRedo());
    m_redo->setText(fieldRedo || !history.canRedo() ? QString("&Redo")
                                                    : "&Redo " + history.redoText());
    m_cut->setEnabled(writable && edit->hasSelectedText());
    m_paste->setEnabled(writable && !QApplication::clipboard()->text().isEmpty());
    const bool listHasFocus = m_view != nullptr && m_view->hasFocus();
    m_copy->setEnabled((edit != nullptr && edit->hasSelectedText()) ||
                       (listHasFocus && m_view->selectionModel()->hasSelection()));

    // An export is offered while its log's list is shown.
    const int shown = m_view != nullptr ? m_view->LogIndex() : -1;
    for (QAction* action : m_exportMenu->actions())
        if (!action->isSeparator())
            action->setEnabled(action->data().toInt() == shown);
}

void CMainFrame::OnEditCommand(QAction* action) {
    QLineEdit* field = FocusedLineEdit();
    if (action == m_undo && (field == nullptr || !field->isUndoAvailable())) {
        m_app.Doc().UndoStack().undo();
    } else if (action == m_redo && (field == nullptr || !field->isRedoAvailable())) {
        m_app.Doc().UndoStack().redo();
    } else if (QLineEdit* edit = field) {
        if (action == m_undo)
            edit->undo();
        else if (action == m_redo)
            edit->redo();
        else if (action == m_cut)
            edit->cut();
        else if (action == m_copy)
            edit->copy();
        else if (action == m_paste)
            edit->paste();
    } else if (action == m_copy && m_view != nullptr) {
        QApplication::clipboard()->setText(m_view->SelectedRowsText());
    }
    UpdateCommandStates();
}

void CMainFrame::FillUserList() {
    IUserManager* users = m_app.UserManager();
    const QSignalBlocker blocker(m_users);
    m_users->clear();
    if (users == nullptr)
        return;
    const std::int16_t count = users->UmGetUserCount();
    for (std::int16_t index = 0; index < count; ++index) {
        std::uint32_t id = 0;
        const std::int32_t found = users->UmGetUserID(static_cast<std::uint16_t>(index), &id);
        if (UserManagerError::IsError(found)) {
            m_app.ShowUserDataError(found);
            continue;
        }
        char name[kUserNameBufferSize] = {};
        std::int16_t size = kUserNameBufferSize;
        const std::int32_t named = users->UmGetUserName(id, name, &size);
        if (named < 0) {
            m_app.ShowUserDataError(named);
            continue;
        }
        if (name[0] == '\0')
            continue;
        m_users->addItem(QString::fromUtf8(name), QVariant::fromValue(id));
    }
    SelectCurrentUser();
}

void CMainFrame::SelectCurrentUser() {
    const QSignalBlocker blocker(m_users);
    // Found as the combo box finds a text: exactly, but ignoring case.
    m_users->setCurrentIndex(
        m_users->findText(QString::fromStdString(m_app.CurrentUser), Qt::MatchFixedString));
}

void CMainFrame::OnEditUsers() {
    if (m_app.UserManager() == nullptr)
        return;
    CUserListDialog dialog(*m_app.UserManager(), this);
    ModalDialog::exec(dialog);
    FillUserList();
}

void CMainFrame::OnEditCategories() {
    CTvDeskDoc& document = m_app.Doc();
    // The list whose categories the filter pane offers comes first; none
    // while the log on the right has no category list (service types,
    // vehicles), and none for the service log's, which is not offered here.
    const bool logHasCategories =
        m_view == nullptr || (m_view->LogIndex() != LogIndex::kServiceTypes &&
                              m_view->LogIndex() != LogIndex::kVehicleList);
    const CategoryList* preselect = logHasCategories ? document.CurrentCategoryList : nullptr;
    CRecordHold hold(document);
    // Each change is a command of its own; a filter on a deleted category
    // falls back to all categories.
    CEditCategoriesDialog dialog(document, true, true, preselect, this);
    hold.Exec(dialog);
    // A reload while the dialog was open took the lists it edited: what the
    // document holds now is the file's, unchanged, and the reload has told
    // the views.
    if (hold.Lost())
        return;
    // The filter pane and the lists rebuild from the lists as they are now,
    // changed or not.
    document.UpdateAllViews(nullptr, 0);
}

void CMainFrame::OnUserChosen(int index) {
    if (index >= 0)
        m_app.OnUserSelection(m_users->itemText(index).toStdString());
    // The entries stay as they are: only a HotSync's request and Edit Users
    // read the users again. The switch may have ended with another user than
    // the one chosen (or none), so the box shows the one whose data is open.
    SelectCurrentUser();
}

std::uint32_t CMainFrame::OnHotSyncMessage(std::uint32_t request, std::uint32_t) {
    switch (request) {
    case HandOver::Probe:
        return HandOver::kHotSyncMessage;
    case HandOver::Save:
        m_app.SaveForHotSync();
        return 0;
    case HandOver::Reload:
        m_app.ReloadDocument();
        return 0;
    case HandOver::RefillUsers:
        FillUserList();
        return 0;
    default:
        return 0;
    }
}

void CMainFrame::BringToFront() {
    if (isMinimized())
        showNormal();
    QWidget* front = QApplication::activeModalWidget();
    if (front == nullptr)
        front = this;
    front->raise();
    front->activateWindow();
}

void CMainFrame::RememberColumnWidths() {
    if (m_view == nullptr)
        return;
    QList<int>& widths = m_memory.ColumnWidths[static_cast<std::size_t>(m_view->LogIndex())];
    widths.clear();
    for (int column = 0; column < m_view->header()->count(); ++column)
        widths.push_back(m_view->header()->sectionSize(column));
}

void CMainFrame::RestoreColumnWidths() {
    const QList<int>& widths = m_memory.ColumnWidths[static_cast<std::size_t>(m_view->LogIndex())];
    // A list whose columns changed since keeps its own widths.
    if (widths.size() != m_view->header()->count())
        return;
    for (int column = 0; column < widths.size(); ++column)
        m_view->header()->resizeSection(column, widths[column]);
}

void CMainFrame::RebuildActiveView() {
    // The columns are named and sized for the new units: widths kept for
    // the old ones no longer apply.
    for (QList<int>& widths : m_memory.ColumnWidths)
        widths.clear();
    if (m_view != nullptr)
        m_view->RebuildColumnsAndRows();
    // The statistics window names the units too.
    auto* statistics = findChild<CStatisticsWindow*>();
    if (statistics != nullptr && statistics->isVisible())
        statistics->Refresh();
}

void CMainFrame::OnVehicleStatistics() {
    auto* window = findChild<CStatisticsWindow*>();
    if (window == nullptr)
        window = new CStatisticsWindow(m_app.Doc(), this);
    window->show();
    window->raise();
    window->activateWindow();
}

void CMainFrame::ShowLog(int log) {
    if (log < 0 || log >= LogIndex::kCount)
        return;
    if (m_view != nullptr && m_view->LogIndex() == log)
        return;
    const bool wasActive = m_view == nullptr || m_view->hasFocus() ||
                           QApplication::focusWidget() == nullptr ||
                           QApplication::focusWidget()->window() != this;
    // The document belongs to the application, so it outlives the moment
    // without a view.
    RememberColumnWidths();
    delete std::exchange(m_view, nullptr);
    AttachView(
        m_makeView(log, m_app.Doc(), m_app.SortCodes[static_cast<std::size_t>(log)], m_splitter));
    m_view->OnInitialUpdate();
    RestoreColumnWidths();
    m_view->show();
    if (wasActive)
        m_view->setFocus();
    UpdateCommandStates();
}

void CMainFrame::AttachView(CLogView* view) {
    m_view = view;
    m_splitter->addWidget(m_view);
    m_splitter->setStretchFactor(1, 1);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CMainFrame::UpdateCommandStates);
}

void CMainFrame::OnFilePrint() {
    if (m_view == nullptr || !m_view->HasReport())
        return;
    m_view->setFocus();
    m_view->OnFilePrint(Printer(), {m_app.Rate, m_app.PrintRate});
}

void CMainFrame::OnFilePrintPreview() {
    if (m_view == nullptr || !m_view->HasReport())
        return;
    m_view->setFocus();
    m_view->OnFilePrintPreview(Printer(), {m_app.Rate, m_app.PrintRate});
}

QPrinter& CMainFrame::Printer() {
    if (m_printer == nullptr)
        m_printer = new QPrinter(QPrinter::HighResolution);
    return *m_printer;
}

void CMainFrame::OnPrintSetup() {
    QPageSetupDialog dialog(&Printer(), this);
    ModalDialog::exec(dialog);
}

void CMainFrame::ShowStatusText(const QString& text) {
    statusBar()->showMessage(text);
}

void CMainFrame::SetViewFactory(ViewFactory factory) {
    m_makeView = std::move(factory);
}

QString CMainFrame::UserGuidePath() const {
    QSettings install(QSettings::NativeFormat, QSettings::UserScope, AppSettings::kOrganisation,
                      "Tarvenly");
    QString folder = install.value("3.0/Tarvenly Path").toString();
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    if (folder.isEmpty())
        return {};
    // The Debian package keeps it with the documents, beside TvDesk's bin/.
    const QString packaged = QDir::cleanPath(folder + "/../share/doc/tarvenly-desktop/");
    if (!QFileInfo::exists(QDir(folder).filePath(kUserGuideName)) &&
        QFileInfo::exists(QDir(packaged).filePath(kUserGuideName)))
        folder = packaged;
    return QDir(folder).filePath(kUserGuideName);
}

void CMainFrame::OnUserGuide() {
    const QString path = UserGuidePath();
    if (path.isEmpty()) {
        MessageBox::warning(this, "Couldn't find the path to the help file.");
        return;
    }
    if (!QFileInfo::exists(path)) {
        ReportShellFailure(ShellErrors::kFileNotFound, path);
        return;
    }
    // Without a browser the user can still open the file by hand.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        MessageBox::warning(this, QString("No program to show web pages was found. The user "
                                          "guide is the file %1; open it with a web browser.")
                                      .arg(QDir::toNativeSeparators(path)));
}

void CMainFrame::ReportShellFailure(unsigned int result, const QString& path) {
    MessageBox::warning(this, ShellErrors::ShellErrorText(result));
    MessageBox::warning(this, QString("Couldn't open %1.").arg(path));
}

void CMainFrame::OnWebSite() {
    if (!QDesktopServices::openUrl(QUrl(kProductWebSite)))
        MessageBox::warning(this, "You do not have a default browser registered.");
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Changes are written back without asking; a failed save keeps the
    // window open so that nothing is lost.
    if (!m_app.Doc().SaveModified()) {
        event->ignore();
        return;
    }
    event->accept();
    RememberColumnWidths();
    m_memory.Geometry = saveGeometry();
    m_memory.Splitter = m_splitter->saveState();
    m_memory.SortCodes = m_app.SortCodes;
    m_memory.Save();
}
