#pragma once

#include "HeldProgressDialog.h"
#include "ImportSession.h"

// The progress of checking or adding a large file's rows (see
// CHeldProgressDialog).
class CImportProgressDialog : public ImportProgress {
public:
    CImportProgressDialog(const CRecordHold& hold, QWidget* parent, const QString& text)
        : m_dialog(hold, parent, QStringLiteral("Import"), text) {}

    bool Continue(std::uint64_t done, std::uint64_t total) override {
        return m_dialog.Continue(done, total);
    }

private:
    CHeldProgressDialog m_dialog;
};
