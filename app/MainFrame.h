#pragma once

#include "LockKeyState.h"
#include "WindowMemory.h"

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <vector>

class CLogView;
class CTabForm;
class CTvDeskApp;
class CTvDeskDoc;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QSplitter;

// The main window: the filter pane on the left, one log list on the right,
// the menus, the toolbar with the Palm user selector, the status bar, and the
// HotSync requests that arrive for the program.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // Makes the list of a log (0-4) for the right-hand pane.
    using ViewFactory =
        std::function<CLogView*(int log, CTvDeskDoc& document, int& sortCode, QWidget* parent)>;

    explicit CMainFrame(CTvDeskApp& app, QWidget* parent = nullptr);
    ~CMainFrame() override;

    static constexpr const char* kProductWebSite = "https://www.tarvenly.com/";
    static constexpr const char* kUserGuideName = "TvUserGuide.html";

    // Handles HotSync request 0-5 of message 5120 and returns its result.
    std::uint32_t OnHotSyncMessage(std::uint32_t request, std::uint32_t data);
    // Refills the user selector from Palm Desktop and selects the current user.
    void FillUserList();
    // Selects the current user's entry of the selector as it is.
    void SelectCurrentUser();
    // Shows the window (or its open dialog) in front of the others.
    void BringToFront();
    // The columns and rows of the list again, after the units changed.
    void RebuildActiveView();
    // Shows a text in the status bar until another one replaces it.
    void ShowStatusText(const QString& text);

    // Shows the list of a log in the right-hand pane; nothing when it is
    // already shown or the index is not a log's.
    void ShowLog(int log);
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnUserGuide();
    // Shows or hides the expense log's button in the filter pane and its
    // exports, and keeps the choice in the settings.
    void OfferExpenseLog(bool offered);
    // Opens the statistics window, or brings the open one to the front.
    void OnVehicleStatistics();
    void OnWebSite();

    CLogView* RightView() const { return m_view; }
    CTabForm* TabForm() const { return m_tabForm; }
    // The printer that Print Setup configures and the reports print on.
    QPrinter& Printer();
    // Replaces the maker of the right-hand lists (tests watch what reaches them).
    void SetViewFactory(ViewFactory factory);

    // Where the user guide lies: the installation folder when the program was
    // installed there, else the program's own folder. Empty when neither is known.
    QString UserGuidePath() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    // Puts a new list into the right-hand pane.
    void AttachView(CLogView* view);
    void UpdateCommandStates();
    // The shown list's column widths into m_memory, and back from it.
    void RememberColumnWidths();
    void RestoreColumnWidths();
    void UpdateLockIndicators();
    QLineEdit* FocusedLineEdit() const;
    void OnUserChosen(int index);
    void OnEditUsers();
    void OnEditCategories();
    void OnPrintSetup();
    void OnEditCommand(QAction* action);
    void ReportShellFailure(unsigned int result, const QString& path);

    CTvDeskApp& m_app;
    ViewFactory m_makeView;
    QSplitter* m_splitter = nullptr;
    CTabForm* m_tabForm = nullptr;
    CLogView* m_view = nullptr;
    QComboBox* m_users = nullptr;
    QLabel* m_capsLock = nullptr;
    QLabel* m_numLock = nullptr;
    QLabel* m_scrollLock = nullptr;
    LockKeyState m_lockKeys;
    WindowMemory m_memory;
    QPrinter* m_printer = nullptr;

    QAction* m_print = nullptr;
    QAction* m_printPreview = nullptr;
    QAction* m_printSetup = nullptr;
    QMenu* m_exportMenu = nullptr;
    QAction* m_exit = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QAction* m_cut = nullptr;
    QAction* m_copy = nullptr;
    QAction* m_paste = nullptr;
    QAction* m_edit = nullptr;
    QAction* m_new = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_editCategories = nullptr;
    QAction* m_editUsers = nullptr;
    QAction* m_statusBarShown = nullptr;
    QAction* m_expenseLogShown = nullptr;
    // The expense exports and the separator before them.
    std::vector<QAction*> m_expenseExports;
    QAction* m_settings = nullptr;
    QAction* m_webSite = nullptr;
    QAction* m_userGuide = nullptr;
    QAction* m_about = nullptr;
};
