#pragma once

#include <QDialog>
#include <functional>

// Every modal dialog that a log runs goes through here, so that GUI tests can
// fill it in and press its buttons instead of blocking on a window, and so
// that a dialog whose records have gone can be closed (see RecordHold.h).
namespace ModalDialog {

// Runs the dialog modally and returns its result (QDialog::Accepted or
// QDialog::Rejected). A dialog cancelled by cancelAll() while it runs gives
// Rejected, whatever its buttons or a test handler do afterwards.
int exec(QDialog& dialog);

// Closes as cancelled every dialog running through exec(), the innermost
// first, and every other modal dialog on screen (a message box over one of
// them). Each is disabled, so that nothing in it can be confirmed any more,
// and rejected.
void cancelAll();

// Test seam: while a handler is set, exec() calls it instead of showing the
// dialog, and returns what it returns. The handler usually sets fields and
// clicks a button, then returns dialog.result(). Handlers queue up: each
// dialog takes the next one; with none left the dialog is rejected.
using Handler = std::function<int(QDialog& dialog)>;
void setTestMode(bool enabled);
void pushHandler(Handler handler);
void clearHandlers();
// How many dialogs were run since the last clearHandlers().
int runCount();

} // namespace ModalDialog
