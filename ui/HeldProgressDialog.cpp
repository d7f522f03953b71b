#include "HeldProgressDialog.h"

#include "RecordHold.h"

#include <QProgressDialog>

#include <algorithm>

namespace {

int g_showDelay = 500;

// The dialog counts in int: the work is shown in thousandths.
constexpr int kSteps = 1000;

} // namespace

CHeldProgressDialog::CHeldProgressDialog(const CRecordHold& hold, QWidget* parent,
                                         const QString& title, const QString& text)
    : m_hold(hold), m_dialog(std::make_unique<QProgressDialog>(text, QStringLiteral("&Cancel"), 0,
                                                               kSteps, parent)) {
    m_dialog->setWindowTitle(title);
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setMinimumDuration(g_showDelay);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setValue(0);
}

CHeldProgressDialog::~CHeldProgressDialog() = default;

bool CHeldProgressDialog::Continue(std::uint64_t done, std::uint64_t total) {
    if (m_hold.Lost() || m_dialog->wasCanceled())
        return false;
    const std::uint64_t step =
        total == 0 ? kSteps : std::min<std::uint64_t>(kSteps, done * kSteps / total);
    // A window-modal dialog handles the events that came in meanwhile here:
    // a click on Cancel, or a HotSync reload that takes the records away.
    m_dialog->setValue(static_cast<int>(step));
    return !m_hold.Lost() && !m_dialog->wasCanceled();
}

void CHeldProgressDialog::SetShowDelay(int milliseconds) {
    g_showDelay = milliseconds;
}
