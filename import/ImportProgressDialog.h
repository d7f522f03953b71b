#pragma once

#include "ImportSession.h"

#include <QString>

#include <memory>

class CRecordHold;
class QProgressDialog;
class QWidget;

// The progress of checking or adding a large file's rows in a window-modal
// dialog with a Cancel button. It shows once the work has run for a moment,
// so that small files finish without it. The work stops when the user
// cancels or when the document's records go (a HotSync reload arriving while
// the dialog runs); Lost() then tells the second from the first.
class CImportProgressDialog : public ImportProgress {
public:
    CImportProgressDialog(const CRecordHold& hold, QWidget* parent, const QString& text);
    ~CImportProgressDialog() override;

    bool Continue(std::uint64_t done, std::uint64_t total) override;

    // How long the work runs before its progress shows (tests set 0).
    static void SetShowDelay(int milliseconds);

private:
    const CRecordHold& m_hold;
    std::unique_ptr<QProgressDialog> m_dialog;
};
