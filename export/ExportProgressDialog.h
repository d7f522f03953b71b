#pragma once

#include "LogExport.h"

#include <QString>

#include <memory>

class CRecordHold;
class QProgressDialog;
class QWidget;

// The progress of a long export in a window-modal dialog with a Cancel
// button. It shows once an export has run for a moment, so that short
// exports finish without it. The export stops when the user cancels or when
// the document's records go (a HotSync reload arriving while the dialog
// runs): nothing of the records is touched after that.
class CExportProgressDialog : public ExportProgress {
public:
    CExportProgressDialog(const CRecordHold& hold, QWidget* parent, const QString& text);
    ~CExportProgressDialog() override;

    bool Continue(std::size_t done, std::size_t total) override;

    // How long an export runs before its progress shows (tests set 0).
    static void SetShowDelay(int milliseconds);

private:
    const CRecordHold& m_hold;
    std::unique_ptr<QProgressDialog> m_dialog;
};
