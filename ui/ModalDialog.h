#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

// Every modal dialog and message box of the program runs through here. That
// is the hold of the program's dialogs: when the document is emptied or
// replaced (a HotSync reload arrives over a socket and is handled by whatever
// loop runs), every dialog on screen closes as cancelled, so nothing typed
// into one can be applied to data that is gone. It is also the test seam: GUI
// tests fill a dialog in and press its buttons instead of blocking on a
// window. scripts/check-dialogs.py keeps dialogs from being run any other way.
namespace ModalDialog {

// Runs the dialog modally and returns its result (QDialog::Accepted or
// QDialog::Rejected, a message box's button). A dialog cancelled by
// cancelAll() while it runs gives Rejected, whatever its buttons or a test
// handler do afterwards: a dialog applies what it holds only once this has
// returned Accepted.
int exec(QDialog& dialog);
// The same, always on screen, also in test mode: for the message boxes,
// whose own seam answers them in tests.
int execShown(QDialog& dialog);

// Closes as cancelled every dialog running through exec(), the innermost
// first, and every other modal dialog on screen (a progress window, a dialog
// that Qt opens itself). Each is disabled, so that nothing in it can be
// confirmed any more, and rejected. Returns how the user knows each dialog it
// closed now (its title, a message box's text), outermost first; dialogs that
// were closed before are not named again.
QStringList cancelAll();

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
