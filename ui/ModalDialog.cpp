#include "ModalDialog.h"

#include <deque>

namespace {

bool g_testMode = false;
std::deque<ModalDialog::Handler> g_handlers;
int g_runCount = 0;

} // namespace

namespace ModalDialog {

int exec(QDialog& dialog) {
    if (!g_testMode)
        return dialog.exec();
    ++g_runCount;
    if (g_handlers.empty())
        return QDialog::Rejected;
    Handler handler = std::move(g_handlers.front());
    g_handlers.pop_front();
    dialog.setResult(QDialog::Rejected);
    return handler(dialog);
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
