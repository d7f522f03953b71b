#pragma once

class QDialog;
class QDialogButtonBox;
class QLayout;

// The "OK" and "Cancel" buttons of a dialog: OK runs the dialog's accept()
// (where its checks are), Cancel rejects. They are named "okButton" and
// "cancelButton", so that tests can press them.
QDialogButtonBox* MakeOkCancelButtons(QDialog* dialog);

// A small dialog of one form: the fields, a gap, OK and Cancel; sized to fit.
QDialogButtonBox* LayOutFormDialog(QDialog* dialog, QLayout* fields);
