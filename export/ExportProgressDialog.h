#pragma once

#include "HeldProgressDialog.h"
#include "LogExport.h"

// The progress of a long export (see CHeldProgressDialog); a stopped export
// touches nothing of the records after that.
class CExportProgressDialog : public ExportProgress {
public:
    CExportProgressDialog(const CRecordHold& hold, QWidget* parent, const QString& text)
        : m_dialog(hold, parent, QStringLiteral("TvDesk"), text) {}

    bool Continue(std::size_t done, std::size_t total) override {
        return m_dialog.Continue(done, total);
    }

private:
    CHeldProgressDialog m_dialog;
};
