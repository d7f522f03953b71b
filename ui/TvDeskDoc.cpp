#include "TvDeskDoc.h"

#include "FileDialog.h"
#include "MessageBox.h"

#include <QDir>
#include <QStandardPaths>

CTvDeskDoc::CTvDeskDoc(QObject* parent) : QObject(parent) {}

void CTvDeskDoc::SetModifiedFlag(bool modified) {
    const bool changed = modified != IsModified();
    TvDocument::SetModifiedFlag(modified);
    if (changed)
        emit modifiedChanged(modified);
}

void CTvDeskDoc::DeleteContents() {
    emit contentsCleared();
    TvDocument::DeleteContents();
}

void CTvDeskDoc::UpdateAllViews(QObject* sender, int hint) {
    emit viewsUpdated(sender, hint);
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

std::optional<std::string> CTvDeskDoc::RecoveryFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return std::nullopt;
    return folder.toStdString();
}
