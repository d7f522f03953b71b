#pragma once

#include "TvDocument.h"

#include <QObject>

class QWidget;

// The desktop side of the document: failures are shown in message boxes, a
// missing or read-only path is asked for, recovery copies that cannot go
// beside the data file go to the program's data folder or else the home
// folder, and changes are announced to the views. Emptying the document
// closes every dialog on screen as cancelled (see ModalDialog.h).
class CTvDeskDoc : public QObject, public TvDocument {
    Q_OBJECT
public:
    explicit CTvDeskDoc(QObject* parent = nullptr);

    void SetModifiedFlag(bool modified) override;
    // Lets the views drop their rows before the stores are emptied.
    void DeleteContents() override;
    // Tells every view but the sender that the data or the filter changed.
    void UpdateAllViews(QObject* sender, int hint);

    // Where message boxes and file dialogs are centred.
    void SetDialogParent(QWidget* parent) { m_dialogParent = parent; }

signals:
    void modifiedChanged(bool modified);
    void viewsUpdated(QObject* sender, int hint);
    // The records are about to go: nothing may keep a reference to them.
    void contentsCleared();

protected:
    void ReportError(const std::string& text) override;
    std::optional<std::string> AskSaveAsPath() override;
    // The program's own data folder (created when missing), then the home.
    std::vector<std::string> RecoveryFolders() override;

private:
    QWidget* m_dialogParent = nullptr;
};
