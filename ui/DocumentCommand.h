#pragma once

// Undo and redo of the desktop's edits.
//
// Every change the program makes to the data is one CDocumentCommand pushed
// on the document's QUndoStack (CTvDeskDoc::Push): the push applies it, Edit >
// Undo and Redo replay it. One dialog's OK is one command; a cascade (a
// vehicle with its trips and service log) is one command.
//
// - A command names records by store kind and index in the store, never by
//   pointer: records are never removed before the store is cleared, and the
//   stack is emptied whenever the stores are (a HotSync reload, a user
//   switch, another file), so an index always names the record it was made
//   for.
// - A command keeps exactly what it replaced and what it puts in its place
//   (whole records for an edit, the old Category and Flags for a re-filing,
//   only the indexes for a deletion, whose one change is the deleted bit),
//   so that undoing restores the stored bytes and redoing repeats them.
// - Dialogs work on a record of their own (or report what OK stores); the
//   view hands the command the record before and after.
// - Each Apply is followed by one CTvDeskDoc::documentChanged signal naming
//   the stores, the record indexes added and changed and the store-level
//   parts (categories, settings, IdCounter) that changed, and whether it was
//   the edit, its undo or its redo. The views put rows back in their place
//   from it, the filter pane rebuilds where the edit would have, and a journal
//   of changes can learn from it exactly which records to write.

#include "DocumentChange.h"

#include <QUndoCommand>

class CTvDeskDoc;

class CDocumentCommand : public QUndoCommand {
public:
    void redo() final;
    void undo() final;

protected:
    CDocumentCommand(CTvDeskDoc& document, const QString& text);

    CTvDeskDoc& Document() const { return m_document; }
    // Puts the new state in place (forward) or the old one back.
    virtual void Apply(bool forward) = 0;
    // What Apply changed in that direction.
    virtual std::vector<StoreChange> Changes(bool forward) const = 0;

private:
    void Run(bool forward, DocumentChange::Cause cause);

    CTvDeskDoc& m_document;
    bool m_done = false;
};

// "Delete Trip", "Delete 312 Trips".
QString CountedText(const char* verb, std::size_t count, const char* one, const char* many);
