#include "ModalDialog.h"

#include <QApplication>
#include <QMessageBox>
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

int RunHandler(QDialog& dialog) {
    ++g_runCount;
    if (g_handlers.empty())
        return QDialog::Rejected;
    ModalDialog::Handler handler = std::move(g_handlers.front());
    g_handlers.pop_front();
    dialog.setResult(QDialog::Rejected);
    return handler(dialog);
}

int Run(QDialog& dialog, bool shown) {
    const RunningScope running(dialog);
    const int result = shown ? dialog.exec() : RunHandler(dialog);
    return running.Cancelled() ? QDialog::Rejected : result;
}

// How the user knows the dialog: a message box by its text, which its
// caption does not tell apart from the others.
QString NameOf(const QDialog& dialog) {
    constexpr int kShownCharacters = 80;
    if (const auto* box = qobject_cast<const QMessageBox*>(&dialog)) {
        QString text = box->text().simplified();
        if (text.size() > kShownCharacters)
            text = text.left(kShownCharacters) + QStringLiteral("\u2026");
        return QStringLiteral("the message \u201c%1\u201d").arg(text);
    }
    return QStringLiteral("\u201c%1\u201d").arg(dialog.windowTitle());
}

// Closes the dialog as cancelled; returns its name.
QString Cancel(QDialog& dialog) {
    dialog.setEnabled(false);
    dialog.reject();
    return NameOf(dialog);
}

} // namespace

namespace ModalDialog {

int exec(QDialog& dialog) {
    return Run(dialog, !g_testMode);
}

int execShown(QDialog& dialog) {
    return Run(dialog, true);
}

QStringList cancelAll() {
    QStringList closed;
    for (auto entry = g_running.rbegin(); entry != g_running.rend(); ++entry) {
        if ((*entry)->cancelled)
            continue;
        (*entry)->cancelled = true;
        if ((*entry)->dialog != nullptr)
            closed.prepend(Cancel(*(*entry)->dialog));
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(window);
        if (dialog != nullptr && dialog->isVisible() && dialog->isModal())
            closed.append(Cancel(*dialog));
    }
    return closed;
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
