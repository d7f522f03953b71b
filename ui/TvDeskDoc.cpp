#include "TvDeskDoc.h"

#include "DocumentCommand.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "ModalDialog.h"

#include <QDir>
#include <QStandardPaths>

CTvDeskDoc::CTvDeskDoc(QObject* parent) : QObject(parent) {
    // The service log's past-due count asks every vehicle's reading.
    GatherReadingsWhileReading();
    connect(&m_undoStack, &QUndoStack::cleanChanged, this, &CTvDeskDoc::UpdateModified);
}

void CTvDeskDoc::SetModifiedFlag(bool modified) {
    if (!modified)
        m_undoStack.setClean();
    m_unsavedData = modified;
    UpdateModified();
    if (!modified)
        emit markedClean();
}

void CTvDeskDoc::UpdateModified() {
    const bool modified = m_unsavedData || !m_undoStack.isClean();
    const bool changed = modified != IsModified();
    TvDocument::SetModifiedFlag(modified);
    if (changed)
        emit modifiedChanged(modified);
}

void CTvDeskDoc::DeleteContents() {
    emit contentsCleared();
    // No dialog may apply what it holds to the data that replaces this.
    ModalDialog::cancelAll();
    const bool hadHistory = m_undoStack.count() > 0;
    m_undoStack.clear();
    {
        const std::lock_guard lock(m_storesLock);
        TvDocument::DeleteContents();
    }
    if (hadHistory)
        emit undoHistoryCleared(m_undoClearedText);
}

void CTvDeskDoc::UpdateAllViews(QObject* sender, int hint) {
    emit viewsUpdated(sender, hint);
}

void CTvDeskDoc::ApplyChange(const std::function<DocumentChange()>& change) {
    DocumentChange applied;
    {
        const std::lock_guard lock(m_storesLock);
        applied = change();
        StoresChanged();
        if (m_changeListener)
            m_changeListener(applied);
    }
    emit documentChanged(applied);
}

void CTvDeskDoc::Push(CDocumentCommand* command) {
    m_undoStack.push(command);
}

void CTvDeskDoc::ReportError(const std::string& text) {
    MessageBox::warning(m_dialogParent, QString::fromStdString(text));
}

std::optional<std::string> CTvDeskDoc::AskSaveAsPath() {
    const QString chosen = FileDialog::getSaveFileName(
        m_dialogParent, QObject::tr("Save As"), QString::fromStdString(PathName()),
        QObject::tr("Tarvenly data files (*.tv);;All files (*)"));
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toStdString();
}

std::vector<std::string> CTvDeskDoc::RecoveryFolders() {
    std::vector<std::string> folders;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!data.isEmpty() && QDir().mkpath(data))
        folders.push_back(data.toStdString());
    const QString home = QDir::homePath();
    if (!home.isEmpty() && home != QDir::rootPath())
        folders.push_back(home.toStdString());
    return folders;
}
