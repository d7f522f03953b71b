#pragma once

#include "PalmLibraries.h"

#include <QString>
#include <array>
#include <optional>

// What an installation of Tarvenly puts where: the names the registration
// (TvRegister) writes and the uninstaller (TvUnInstall) removes.
namespace InstallLayout {

// The creator identifier of the handheld application; its conduit is
// registered for it.
constexpr const char* kCreator = "TVRL";
// In the Palm Desktop folder: the notifier HotSync Manager loads (a copy of
// the installed one) and the conduit registered for kCreator.
constexpr const char* kNotifierFile = "libTvNotifier.so";
constexpr const char* kConduitFile = "libTvConduit.so";

// The installation folder's files, in the order the uninstaller deletes
// them: the program and its format module, the command-line tool and its
// command module, the notifier, the user guide, the icon, the desktop
// entries, then the uninstaller itself.
constexpr const char* kUninstallerFile = "TvUnInstall";
inline constexpr std::array<const char*, 11> kInstalledFiles = {
    "TvDesk",
    "libtvdeskformats.so",
    "tvtool",
    "libtvtoolcommands.so",
    kNotifierFile,
    "TvUserGuide.html",
    "tvdesk.svg",
    "Tarvenly.desktop",
    "TvUninstall.desktop",
    "TvUserGuide.desktop",
    kUninstallerFile,
};

// A Debian package's folder of the notifier, TvRegister and TvUnInstall
// holds this file, naming the package. The package manager installs and
// removes its files; TvRegister and TvUnInstall only register the notifier
// and the conduit for the user and remove that again.
constexpr const char* kPackageFile = "PACKAGE";
// The package that installed the folder; nothing for a folder of
// `cmake --install`.
std::optional<QString> PackageOf(const QString& folder);

// Palm Desktop's folder when its settings name it by a full path; a relative
// one would be taken relative to the current folder, so it counts as none.
std::optional<QString> PalmFolder();

// The shortcuts are copies of the installed desktop entries: the program's
// on the desktop, and all three in a folder of the applications menu.
constexpr const char* kDesktopShortcut = "Tarvenly.desktop";
constexpr const char* kMenuFolder = "Tarvenly";
inline constexpr std::array<const char*, 3> kMenuShortcuts = {
    "Tarvenly.desktop", "TvUninstall.desktop", "TvUserGuide.desktop"};

// The folders the shortcuts go into.
struct ShortcutFolders {
    QString desktop;      // the folder `xdg-user-dir DESKTOP` names, else ~/Desktop
    QString applications; // $XDG_DATA_HOME/applications

    static ShortcutFolders ForUser();
};

// True for a registered notifier that is ours: its file name (the part after
// the last '/', registrations hold full paths) is "libtvnotifier.so" or
// "tvnotifier.dll", ignoring letter case.
bool IsTarvenlyNotifier(const QString& registered);

// Where the conduit manager's notifier numbers were looked through, from 0
// on, up to the first of ours.
struct NotifierSearch {
    std::optional<int> ours;      // the number of our notifier
    std::optional<int> firstFree; // the first number without a registration before it
    int end = 0;                  // the number at which the conduit manager said "no more"
};
NotifierSearch SearchNotifiers(const ConduitManager& conduits);

// The installation folder, kept as "3.0/Tarvenly Path" of organisation
// "Brisklane", application "Tarvenly", where the program reads it.
// Nothing when the value is missing.
std::optional<QString> InstallFolder();
void SetInstallFolder(const QString& folder);
// Removes the value, and the settings file with it when nothing else is left.
void RemoveInstallFolder();

} // namespace InstallLayout
