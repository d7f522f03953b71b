#include "Registration.h"

#include "PalmDesktopSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>
#include <vector>

namespace {

// Writes the file, replacing the target by a rename so that a program that
// has the old one open or loaded keeps it intact.
bool WriteFile(const QString& to, const QByteArray& bytes, QFileDevice::Permissions permissions) {
    QSaveFile target(to);
    return target.open(QIODevice::WriteOnly) && target.write(bytes) == bytes.size() &&
           target.setPermissions(permissions) && target.commit();
}

bool CopyFile(const QString& from, const QString& to, QFileDevice::Permissions permissions) {
    QFile source(from);
    return source.open(QIODevice::ReadOnly) && WriteFile(to, source.readAll(), permissions);
}

std::optional<QByteArray> ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
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
    // A package's folder holds the notifier only; the package manager put
    // the rest and the menu entry in place.
    const bool package = InstallLayout::PackageOf(installed.path()).has_value();
    const std::vector<const char*> required =
        package ? std::vector<const char*>{InstallLayout::kNotifierFile}
                : std::vector<const char*>(InstallLayout::kInstalledFiles.begin(),
                                           InstallLayout::kInstalledFiles.end());
    for (const char* name : required)
        if (!QFileInfo(installed.filePath(name)).isFile()) {
            result.error = QString("%1 is not a Tarvenly installation: %2 is missing")
                               .arg(installed.path(), name);
            return result;
        }
    if (!package && (m_shortcuts.desktop.isEmpty() || m_shortcuts.applications.isEmpty())) {
        result.error = "the desktop and applications folders are not known";
        return result;
    }
    const std::optional<QString> palmFolder = InstallLayout::PalmFolder();
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
    if (result.notifierNumber > PalmDesktopSettings::kMaxNotifierNumber) {
        result.error = "HotSync Manager has no free notifier number left";
        return result;
    }

    const QDir palm(*palmFolder);
    const QString notifier = palm.filePath(InstallLayout::kNotifierFile);
    // What the copy and the registration replace, put back when it fails.
    const std::optional<QByteArray> earlierNotifier = ReadFile(notifier);
    const std::optional<std::string> earlierRegistration =
        search.ours ? conduits->NotifierName(*search.ours) : std::nullopt;
    if (!CopyFile(installed.filePath(InstallLayout::kNotifierFile), notifier, kReadable)) {
        result.error = "cannot copy the notifier to " + notifier;
        return result;
    }
    const auto undoCopy = [&] {
        if (earlierNotifier)
            WriteFile(notifier, *earlierNotifier, kReadable);
        else
            QFile::remove(notifier);
    };
    if (const std::int32_t code =
            conduits->SetNotifier(result.notifierNumber, notifier.toStdString())) {
        undoCopy();
        result.error = QString("the conduit manager cannot register the notifier as "
                               "Notifier%1 (error %2)")
                           .arg(result.notifierNumber)
                           .arg(code);
        return result;
    }
    if (const std::int32_t code = conduits->InstallCreator(
            InstallLayout::kCreator, palm.filePath(InstallLayout::kConduitFile).toStdString())) {
        if (earlierRegistration)
            conduits->SetNotifier(result.notifierNumber, *earlierRegistration);
        else
            PalmDesktopSettings::RemoveNotifier(result.notifierNumber);
        undoCopy();
        result.error = QString("the conduit manager cannot register the conduit of %1 (error %2)")
                           .arg(InstallLayout::kCreator)
                           .arg(code);
        return result;
    }
    if (!package && !WriteShortcuts(installed, result))
        return result;
    hotSync->SetAppStatus(HsStatus::Restart, 0);
    return result;
}

bool Registration::WriteShortcuts(const QDir& installed, Result& result) {
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
    if (!copied)
        result.error =
            QString("cannot write the shortcuts in %1 and %2").arg(m_shortcuts.desktop, menu);
    return copied;
}
