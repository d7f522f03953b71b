#pragma once

#include <QString>

#include <cstdint>
#include <memory>

class CRecordHold;
class QProgressDialog;
class QWidget;

// The progress of long work on the document's records (an export, an
// import's check or its adding of rows) in a window-modal dialog with a
// Cancel button. It shows once the work has run for a moment, so that short
// work finishes without it. The work stops when the user cancels or when the
// records go (a HotSync reload arriving while the dialog runs); the hold's
// Lost() then tells the second from the first.
class CHeldProgressDialog {
public:
    CHeldProgressDialog(const CRecordHold& hold, QWidget* parent, const QString& title,
                        const QString& text);
    ~CHeldProgressDialog();
    CHeldProgressDialog(const CHeldProgressDialog&) = delete;
    CHeldProgressDialog& operator=(const CHeldProgressDialog&) = delete;

    // Shows done of total and handles the events that came in meanwhile;
    // false once the work is to stop.
    bool Continue(std::uint64_t done, std::uint64_t total);

    // How long the work runs before its progress shows (tests set 0).
    static void SetShowDelay(int milliseconds);

private:
    const CRecordHold& m_hold;
    std::unique_ptr<QProgressDialog> m_dialog;
};
