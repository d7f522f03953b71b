#pragma once

#include "DocumentChange.h"
#include "TvDocument.h"

#include <QObject>
#include <QUndoStack>
#include <functional>
#include <mutex>

class CDocumentCommand;
class QWidget;

// The desktop side of the document: failures are shown in message boxes, a
// missing or read-only path is asked for, recovery copies that cannot go
// beside the data file go to the program's data folder or else the home
// folder, and changes are announced to the views. Emptying the document
// closes every dialog on screen as cancelled (see ModalDialog.h).
//
// Every edit of the data is a command on the document's undo stack (see
// DocumentCommand.h). The document is modified while the stack is away from
// its clean index (moved by every save) or while a new data set waits for
// its first save. Emptying the stores empties the stack: its commands name
// records that are gone.
class CTvDeskDoc : public QObject, public TvDocument {
    Q_OBJECT
public:
    explicit CTvDeskDoc(QObject* parent = nullptr);

    // false: the data is as the file holds it (open, save); the stack's
    // present state becomes the clean one. true: there is data to save
    // whatever the stack says (a new data set).
    void SetModifiedFlag(bool modified) override;
    // Lets the views drop their rows before the stores are emptied, and
    // empties the undo stack.
    void DeleteContents() override;
    // Tells every view but the sender that the data or the filter changed.
    void UpdateAllViews(QObject* sender, int hint);

    // Applies the command and keeps it for Undo.
    void Push(CDocumentCommand* command);
    QUndoStack& UndoStack() { return m_undoStack; }
    // Called by the commands for each apply: change applies it to the
    // stores and names what it changed. It runs under the stores lock, and
    // so does the change listener it is told to; the views hear of it after.
    void ApplyChange(const std::function<DocumentChange()>& change);
    // Held while the stores change, so that another thread (the recovery
    // journal's writer) may read them under it. Who asks for it may change
    // them: what was gathered from the stores is gathered again.
    std::mutex& StoresLock() {
        StoresChanged();
        return m_storesLock;
    }
    // The same lock, for a reader that never changes the stores.
    std::mutex& StoresLockToRead() { return m_storesLock; }
    // Told of every change under the stores lock; must be quick. Empty: none.
    void SetChangeListener(std::function<void(const DocumentChange&)> listener) {
        m_changeListener = std::move(listener);
    }

    // What the status bar says when the next emptying of the stores throws
    // commands away ("Undo history cleared by the HotSync."); empty: nothing.
    // The caller clears it when its reload is over.
    void SetUndoClearedText(const QString& text) { m_undoClearedText = text; }

    // Where message boxes and file dialogs are centred.
    void SetDialogParent(QWidget* parent) { m_dialogParent = parent; }

signals:
    void modifiedChanged(bool modified);
    // The data was marked as kept: written to its file or a recovery copy,
    // or just read.
    void markedClean();
    void viewsUpdated(QObject* sender, int hint);
    // The records are about to go: nothing may keep a reference to them.
    void contentsCleared();
    // A command was applied, undone or redone.
    void documentChanged(const DocumentChange& change);
    // Undo history was thrown away by emptying the stores; text says why.
    void undoHistoryCleared(const QString& text);

protected:
    void ReportError(const std::string& text) override;
    std::optional<std::string> AskSaveAsPath() override;
    // The program's own data folder (created when missing), then the home.
    std::vector<std::string> RecoveryFolders() override;

private:
    void UpdateModified();

    QUndoStack m_undoStack;
    std::mutex m_storesLock;
    std::function<void(const DocumentChange&)> m_changeListener;
    // A new data set that no save has written yet.
    bool m_unsavedData = false;
    QString m_undoClearedText;
    QWidget* m_dialogParent = nullptr;
};
