#pragma once

#include "InstallLayout.h"
#include "PalmLibraries.h"

#include <QDir>
#include <QString>

// Registers an installed copy of Tarvenly for the user, as TvRegister does
// after `cmake --install`: copies the notifier into the Palm Desktop folder
// and registers it with HotSync Manager (under the number of an earlier
// registration of ours, else the first free one, so that registering again
// never adds a second), registers the conduit for creator "TVRL" through the
// conduit manager, writes the install key, copies the installed desktop
// entries as the shortcuts, and asks HotSync Manager to restart.
class Registration {
public:
    struct Result {
        QString error;           // empty on success
        int notifierNumber = -1; // the notifier's registration "Notifier<n>"
    };

    Registration(IPalmLibraryLoader& libraries, InstallLayout::ShortcutFolders shortcuts);

    // Everything is checked (a complete installation, Palm Desktop set up,
    // its libraries loaded, a notifier number free) before anything is
    // written; a registration that fails after the notifier was copied puts
    // back what was there. A package's folder (InstallLayout::PackageOf) is
    // registered with Palm Desktop only: the package manager wrote the
    // program's files and menu entry, so no install key and no shortcuts.
    Result Register(const QString& installFolder);

private:
    // The install key and the shortcuts of an installation of `cmake --install`.
    bool WriteShortcuts(const QDir& installed, Result& result);

    IPalmLibraryLoader& m_libraries;
    InstallLayout::ShortcutFolders m_shortcuts;
};
