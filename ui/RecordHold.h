#pragma once

#include <QMetaObject>

class CTvDeskDoc;
class QDialog;

// How a command keeps references to the document's records across a modal
// loop. The document can be emptied inside any loop: a HotSync reload arrives
// over a socket and is handled by whatever loop runs, and the records the
// command took are then freed.
//
// Whenever the document is emptied, every dialog running through
// ModalDialog::exec (nested ones too) and every message box on screen closes
// as cancelled, and nothing in them can be confirmed any more. A command that
// holds record references takes a hold when it starts and runs its dialogs
// while holding it. After any modal loop the command asks Lost(); once it is
// true, the command stops without touching a record.
class CRecordHold {
public:
    explicit CRecordHold(CTvDeskDoc& document);
    ~CRecordHold();
    CRecordHold(const CRecordHold&) = delete;
    CRecordHold& operator=(const CRecordHold&) = delete;

    // Whether the document was emptied since the hold was taken.
    bool Lost() const { return m_lost; }

    // Runs the dialog modally; Accepted only when the dialog was accepted and
    // the records are still there.
    int Exec(QDialog& dialog);

private:
    QMetaObject::Connection m_emptied;
    bool m_lost = false;
};
