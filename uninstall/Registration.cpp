#include "Registration.h"

#include "PalmDesktopSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// Copies the file, replacing the target by a rename so that a program that
// has the old one open or loaded keeps it intact.
bool CopyFile(const QString& from, const QString& to, QFileDevice::Permissions permissions) {
    QFile source(from);
    QSaveFile target(to);
    if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = source.readAll();
    return target.write(bytes) == bytes.size() && target.setPermissions(permissions) &&
           target.commit();
}

constexpr QFileDevice::Permissions kReadable = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ReadGroup | QFileDevice::ReadOther;
// A desktop entry on the desktop is only started when it is executable.
constexpr QFileDevice::Permissions kExecutable =
    kReadable | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;

} // namespace

Registration::Registration(IPalmLibraryLoader& libraries, InstallLayout::ShortcutFolders shortcuts)
    : m_libraries(libraries), m_shortcuts(std::move(shortcuts)) {}

Registration::Result Registration::Register(const QString& installFolder) {
    Result result;
    const QDir installed(QFileInfo(installFolder).absoluteFilePath());
    for (const char* name : InstallLayout::kInstalledFiles)
        if (!QFileInfo(installed.filePath(name)).isFile()) {
            result.error = QString("%1 is not a Tarvenly installation: %2 is missing")
                               .arg(installed.path(), name);
            return result;
        }
    if (m_shortcuts.desktop.isEmpty() || m_shortcuts.applications.isEmpty()) {
        result.error = "the desktop and applications folders are not known";
        return result;
    }
    const std::optional<QString> palmFolder = PalmDesktopSettings::DesktopFolder();
    if (!palmFolder || palmFolder->isEmpty()) {
        result.error = "Palm Desktop is not set up (tvpalmsetup sets it up)";
        return result;
    }
    const std::optional<ConduitManager> conduits =
        m_libraries.LoadConduitManager(palmFolder->toStdString());
    const std::optional<HotSyncApi> hotSync = m_libraries.LoadHotSyncApi(palmFolder->toStdString());
    if (!conduits || !hotSync) {
        result.error = QString("cannot load %1 and %2 from %3 (tvpalmsetup puts them there)")
                           .arg(PalmLibraryLoader::kConduitManagerFile,
                                PalmLibraryLoader::kHotSyncApiFile, *palmFolder);
        return result;
    }
    const InstallLayout::NotifierSearch search = InstallLayout::SearchNotifiers(*conduits);
    result.notifierNumber = search.ours.value_or(search.firstFree.value_or(search.end));

    const QDir palm(*palmFolder);
    const QString notifier = palm.filePath(InstallLayout::kNotifierFile);
    if (!CopyFile(installed.filePath(InstallLayout::kNotifierFile), notifier, kReadable)) {
        result.error = "cannot copy the notifier to " + notifier;
        return result;
    }
    if (const std::int32_t code =
            conduits->SetNotifier(result.notifierNumber, notifier.toStdString())) {
        result.error = QString("the conduit manager cannot register the notifier as "
                               "Notifier%1 (error %2)")
                           .arg(result.notifierNumber)
                           .arg(code);
        return result;
    }
    if (const std::int32_t code = conduits->InstallCreator(
            InstallLayout::kCreator, palm.filePath(InstallLayout::kConduitFile).toStdString())) {
        result.error = QString("the conduit manager cannot register the conduit of %1 (error %2)")
                           .arg(InstallLayout::kCreator)
                           .arg(code);
        return result;
    }
    InstallLayout::SetInstallFolder(installed.path());

    const QString menu = QDir(m_shortcuts.applications).filePath(InstallLayout::kMenuFolder);
    const QString desktopShortcut =
        QDir(m_shortcuts.desktop).filePath(InstallLayout::kDesktopShortcut);
    bool copied =
        QDir().mkpath(m_shortcuts.desktop) && QDir().mkpath(menu) &&
        CopyFile(installed.filePath(InstallLayout::kDesktopShortcut), desktopShortcut, kExecutable);
    for (const char* shortcut : InstallLayout::kMenuShortcuts)
        copied = copied &&
                 CopyFile(installed.filePath(shortcut), QDir(menu).filePath(shortcut), kReadable);
    if (!copied) {
        result.error =
            QString("cannot write the shortcuts in %1 and %2").arg(m_shortcuts.desktop, menu);
        return result;
    }
    hotSync->SetAppStatus(HsStatus::Restart, 0);
    return result;
}
