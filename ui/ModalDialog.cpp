#include "ModalDialog.h"

#include <QApplication>
#include <QPointer>
#include <deque>
#include <vector>

namespace {

bool g_testMode = false;
std::deque<ModalDialog::Handler> g_handlers;
int g_runCount = 0;

// A dialog while exec() runs it.
struct Running {
    QPointer<QDialog> dialog;
    bool cancelled = false;
};

// The dialogs exec() runs now, the innermost last.
std::vector<Running*> g_running;

// Keeps a dialog on the list of running dialogs for as long as exec() runs
// it, also when a test handler throws.
class RunningScope {
public:
    explicit RunningScope(QDialog& dialog) : m_entry{&dialog} { g_running.push_back(&m_entry); }
    ~RunningScope() { g_running.pop_back(); }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

    bool Cancelled() const { return m_entry.cancelled; }

private:
    Running m_entry;
};

int Run(QDialog& dialog) {
    if (!g_testMode)
        return dialog.exec();
    ++g_runCount;
    if (g_handlers.empty())
        return QDialog::Rejected;
    ModalDialog::Handler handler = std::move(g_handlers.front());
    g_handlers.pop_front();
    dialog.setResult(QDialog::Rejected);
    return handler(dialog);
}

void Cancel(QDialog& dialog) {
    dialog.setEnabled(false);
    dialog.reject();
}

} // namespace

namespace ModalDialog {

int exec(QDialog& dialog) {
    const RunningScope running(dialog);
    const int result = Run(dialog);
    return running.Cancelled() ? QDialog::Rejected : result;
}

void cancelAll() {
    for (auto entry = g_running.rbegin(); entry != g_running.rend(); ++entry) {
        (*entry)->cancelled = true;
        if ((*entry)->dialog != nullptr)
            Cancel(*(*entry)->dialog);
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(window);
        if (dialog != nullptr && dialog->isVisible() && dialog->isModal())
            Cancel(*dialog);
    }
}

void setTestMode(bool enabled) {
    g_testMode = enabled;
}

void pushHandler(Handler handler) {
    g_handlers.push_back(std::move(handler));
}

void clearHandlers() {
    g_handlers.clear();
    g_runCount = 0;
}

int runCount() {
    return g_runCount;
}

} // namespace ModalDialog
