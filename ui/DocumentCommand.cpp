#include "DocumentCommand.h"

#include "TvDeskDoc.h"

CDocumentCommand::CDocumentCommand(CTvDeskDoc& document, const QString& text)
    : QUndoCommand(text), m_document(document) {}

void CDocumentCommand::redo() {
    Run(true, m_done ? DocumentChange::Cause::Redo : DocumentChange::Cause::Edit);
    m_done = true;
}

void CDocumentCommand::undo() {
    Run(false, DocumentChange::Cause::Undo);
}

void CDocumentCommand::Run(bool forward, DocumentChange::Cause cause) {
    m_document.ApplyChange([&] {
        Apply(forward);
        DocumentChange change;
        change.cause = cause;
        change.stores = Changes(forward);
        return change;
    });
}

QString CountedText(const char* verb, std::size_t count, const char* one, const char* many) {
    if (count == 1)
        return QString("%1 %2").arg(verb, one);
    return QString("%1 %2 %3").arg(verb).arg(count).arg(many);
}
