#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QWidget;

// The save dialog of the exports: the file types of an export, then "All
// Files (*.*)"; the proposed name in the folder of the last export (the home
// folder at first); a question before an existing file is replaced.
namespace ExportSaveDialog {

struct FileType {
    QString filter; // as shown: "Comma Separated Value (*.csv)"
    QString suffix; // added to a name typed without one: "csv"
};

struct Choice {
    QString path;
    // The index of the chosen type; -1 for "All Files (*.*)".
    int type = -1;
};

// The chosen file, a name typed without an extension taking the chosen
// type's (the first type's under "All Files"); none when cancelled.
std::optional<Choice> Ask(QWidget* parent, const QString& proposedName,
                          const std::vector<FileType>& types);

// Test seam. In test mode no dialog opens: each one takes the next queued
// choice (none queued: cancelled) and records what it offered. An action set
// with whileOpen runs once, in the next dialog, as events that arrive while
// it is open would.
void setTestMode(bool enabled);
void setNextChoice(const QString& path, int type);
void whileOpen(std::function<void()> action);
// The filters and the proposed name of the last dialog.
QStringList lastFilters();
QString lastProposedName();

} // namespace ExportSaveDialog
