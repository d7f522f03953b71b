#include "ExportSaveDialog.h"

#include "ModalDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QQueue>

#include <utility>

namespace ExportSaveDialog {
namespace {

const QString kAllFiles = QStringLiteral("All Files (*.*)");

bool g_testMode = false;
QQueue<Choice> g_nextChoices;
std::function<void()> g_whileOpen;
QStringList g_lastFilters;
QString g_lastProposedName;
// Where the next dialog starts: the folder of the last export.
QString g_folder;

// The index of a filter among the types; -1 for "All Files".
int TypeOf(const QStringList& filters, const QString& filter, std::size_t typeCount) {
    const auto index = filters.indexOf(filter);
    return index >= 0 && static_cast<std::size_t>(index) < typeCount ? static_cast<int>(index) : -1;
}

// The type whose extension a name without one takes.
const FileType& SuffixType(const std::vector<FileType>& types, int index) {
    return types.at(index >= 0 ? static_cast<std::size_t>(index) : 0);
}

std::optional<Choice> Show(QWidget* parent, const QString& proposedName,
                           const std::vector<FileType>& types, const QStringList& filters) {
    if (g_folder.isEmpty() || !QFileInfo(g_folder).isDir())
        g_folder = QDir::homePath();
    QFileDialog dialog(parent, QStringLiteral("Save As"), g_folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(types.front().suffix);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        dialog.setDefaultSuffix(SuffixType(types, TypeOf(filters, filter, types.size())).suffix);
    });
    dialog.selectFile(proposedName);
    if (ModalDialog::exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return Choice{dialog.selectedFiles().front(),
                  TypeOf(filters, dialog.selectedNameFilter(), types.size())};
}

} // namespace

std::optional<Choice> Ask(QWidget* parent, const QString& proposedName,
                          const std::vector<FileType>& types) {
    QStringList filters;
    for (const FileType& type : types)
        filters.append(type.filter);
    filters.append(kAllFiles);
    g_lastFilters = filters;
    g_lastProposedName = proposedName;

    std::optional<Choice> choice;
    if (g_testMode) {
        if (g_whileOpen)
            std::exchange(g_whileOpen, nullptr)();
        if (!g_nextChoices.isEmpty())
            choice = g_nextChoices.dequeue();
    } else {
        choice = Show(parent, proposedName, types, filters);
    }
    if (!choice || choice->path.isEmpty())
        return std::nullopt;

    const QFileInfo file(choice->path);
    if (file.suffix().isEmpty())
        choice->path += "." + SuffixType(types, choice->type).suffix;
    g_folder = file.absolutePath();
    return choice;
}

void setTestMode(bool enabled) {
    g_testMode = enabled;
    g_nextChoices.clear();
    g_whileOpen = nullptr;
}

void setNextChoice(const QString& path, int type) {
    g_nextChoices.enqueue({path, type});
}

QStringList lastFilters() {
    return g_lastFilters;
}

void whileOpen(std::function<void()> action) {
    g_whileOpen = std::move(action);
}

QString lastProposedName() {
    return g_lastProposedName;
}

} // namespace ExportSaveDialog
