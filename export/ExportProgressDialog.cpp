#include "ExportProgressDialog.h"

#include "RecordHold.h"

#include <QProgressDialog>

#include <algorithm>
#include <climits>

namespace {

int g_showDelay = 500;

// The dialog counts in int; a very long export is shown in steps.
int Scaled(std::size_t count, std::size_t total) {
    const std::size_t step = total / INT_MAX + 1;
    return static_cast<int>(count / step);
}

} // namespace

CExportProgressDialog::CExportProgressDialog(const CRecordHold& hold, QWidget* parent,
                                             const QString& text)
    : m_hold(hold),
      m_dialog(std::make_unique<QProgressDialog>(text, QStringLiteral("&Cancel"), 0, 0, parent)) {
    m_dialog->setWindowTitle(QStringLiteral("TvDesk"));
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setMinimumDuration(g_showDelay);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
}

CExportProgressDialog::~CExportProgressDialog() = default;

bool CExportProgressDialog::Continue(std::size_t done, std::size_t total) {
    if (m_hold.Lost() || m_dialog->wasCanceled())
        return false;
    m_dialog->setMaximum(std::max(1, Scaled(total, total)));
    // A window-modal dialog handles the events that came in meanwhile here:
    // a click on Cancel, or a HotSync reload that takes the records away.
    m_dialog->setValue(Scaled(done, total));
    return !m_hold.Lost() && !m_dialog->wasCanceled();
}

void CExportProgressDialog::SetShowDelay(int milliseconds) {
    g_showDelay = milliseconds;
}
