#pragma once

#include <QMainWindow>
#include <cstdint>

class CTvDeskApp;
class QComboBox;
class QLabel;

// The main window: the Palm user selector, the open data file's summary, and
// the HotSync requests that arrive for the program.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CTvDeskApp& app, QWidget* parent = nullptr);

    // Handles HotSync request 0-5 of message 5120 and returns its result.
    std::uint32_t OnHotSyncMessage(std::uint32_t request, std::uint32_t data);
    // Refills the user selector from Palm Desktop and selects the current user.
    void FillUserList();
    // Shows the window (or its open dialog) in front of the others.
    void BringToFront();
    // Rebuilds what the window shows from the document.
    void RebuildActiveView();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnUserChosen(int index);
    void OnEditUsers();

    CTvDeskApp& m_app;
    QComboBox* m_users;
    QLabel* m_summary;
};
