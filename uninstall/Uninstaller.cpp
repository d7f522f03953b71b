#include "Uninstaller.h"

#include "PalmDesktopSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

// The file name in a folder; nothing when the folder is not known, so that
// nothing is ever deleted relative to the current folder.
QString InFolder(const QString& folder, const QString& name) {
    return folder.isEmpty() ? QString() : QDir(folder).filePath(name);
}

void Delete(const QString& path) {
    if (!path.isEmpty())
        QFile::remove(path);
}

void RemoveFolder(const QString& path) {
    if (!path.isEmpty())
        QDir().rmdir(path);
}

// A folder whose files are to be deleted: nothing when it is a link, which is
// deleted itself instead, so that nothing is deleted where it points.
QString FolderToEmpty(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isSymLink())
        return folder;
    QFile::remove(folder);
    return QString();
}

} // namespace

bool ConsolePrompter::Confirm(const QString& /*question*/) {
    return true;
}

void ConsolePrompter::ShowFailure(const QString& text) {
    std::fprintf(stderr, "TvUnInstall: %s\n", text.toLocal8Bit().constData());
}

void ConsolePrompter::ShowCompletion(const QString& package) {
    if (package.isEmpty()) {
        std::puts("Tarvenly was successfully removed.");
        return;
    }
    std::printf("Tarvenly's registration with your Palm Desktop was removed.\n"
                "To remove the program itself, remove the package %s with the package "
                "manager, for example: sudo apt remove %s\n",
                package.toLocal8Bit().constData(), package.toLocal8Bit().constData());
}

Uninstaller::Uninstaller(IUninstallPrompter& prompter, IPalmLibraryLoader& libraries,
                         InstallLayout::ShortcutFolders shortcuts, QString runningProgram)
    : m_prompter(prompter), m_libraries(libraries), m_shortcuts(std::move(shortcuts)),
      m_runningProgram(std::move(runningProgram)) {}

Uninstaller::Outcome Uninstaller::Run() {
    const std::optional<QString> package =
        InstallLayout::PackageOf(QFileInfo(m_runningProgram).path());
    if (!m_prompter.Confirm(package ? "Are you sure you want to remove Tarvenly's "
                                      "registration with your Palm Desktop?"
                                    : "Are you sure you want to remove Tarvenly?"))
        return Outcome::Declined;

    const std::optional<QString> palmFolder = InstallLayout::PalmFolder();
    if (!palmFolder || palmFolder->isEmpty()) {
        m_prompter.ShowFailure("Uninstall Failed. Couldn't find the palm root directory.");
        return Outcome::Failed;
    }
    const std::string folder = palmFolder->toStdString();
    const std::optional<HotSyncApi> hotSync = m_libraries.LoadHotSyncApi(folder);
    if (!hotSync) {
        m_prompter.ShowFailure("Couldn't load hsapi.dll");
        return Outcome::Failed;
    }
    const std::optional<ConduitManager> conduits = m_libraries.LoadConduitManager(folder);
    if (!conduits) {
        m_prompter.ShowFailure("Couldn't load CondMgr.dll");
        return Outcome::Failed;
    }

    RemoveNotifierRegistration(*conduits);
    conduits->RemoveConduit(InstallLayout::kCreator);
    RemoveShortcuts();
    Delete(InFolder(*palmFolder, InstallLayout::kNotifierFile));
    Delete(InFolder(*palmFolder, InstallLayout::kConduitFile));
    if (!package)
        RemoveInstallation();
    hotSync->SetAppStatus(HsStatus::Restart, 0);
    m_prompter.ShowCompletion(package.value_or(QString()));
    return Outcome::Removed;
}

void Uninstaller::RemoveNotifierRegistration(const ConduitManager& conduits) {
    if (const auto ours = InstallLayout::SearchNotifiers(conduits).ours)
        PalmDesktopSettings::RemoveNotifier(*ours);
}

void Uninstaller::RemoveShortcuts() {
    Delete(InFolder(m_shortcuts.desktop, InstallLayout::kDesktopShortcut));
    const QString menu =
        FolderToEmpty(InFolder(m_shortcuts.applications, InstallLayout::kMenuFolder));
    for (const char* shortcut : InstallLayout::kMenuShortcuts)
        Delete(InFolder(menu, shortcut));
    RemoveFolder(menu);
}

void Uninstaller::RemoveInstallation() {
    const std::optional<QString> folder = InstallLayout::InstallFolder();
    // Only a full path names the installation: anything else would be taken
    // relative to the current folder.
    if (!folder || !QDir::isAbsolutePath(*folder))
        return;
    InstallLayout::RemoveInstallFolder();
    if (FolderToEmpty(*folder).isEmpty())
        return;
    const QString running = QFileInfo(m_runningProgram).canonicalFilePath();
    for (const char* name : InstallLayout::kInstalledFiles) {
        const QString path = QDir(*folder).filePath(name);
        if (running.isEmpty() || QFileInfo(path).canonicalFilePath() != running)
            Delete(path);
    }
    RemoveFolder(*folder);
}
