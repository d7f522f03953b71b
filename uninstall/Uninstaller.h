#pragma once

#include "InstallLayout.h"
#include "PalmLibraries.h"

#include <QString>

// How the uninstaller asks and tells the user.
class IUninstallPrompter {
public:
    virtual ~IUninstallPrompter() = default;
    // A Yes/No question; true for Yes.
    virtual bool Confirm(const QString& question) = 0;
    // A failure that ends the uninstaller.
    virtual void ShowFailure(const QString& text) = 0;
    // The completion dialog; returns once it is closed. With a package's
    // name it says that the package manager removes the program.
    virtual void ShowCompletion(const QString& package) = 0;
};

// Answers the question with Yes and writes the messages to the terminal,
// for removing the program without a window (TvUnInstall --yes).
class ConsolePrompter : public IUninstallPrompter {
public:
    bool Confirm(const QString& question) override;
    void ShowFailure(const QString& text) override;
    void ShowCompletion(const QString& package) override;
};

// Removes an installation of Tarvenly, in this order: asks first; finds the
// Palm Desktop folder and loads the HotSync API and the conduit manager from
// it (the only failures reported, each ending the run before anything is
// changed); removes our notifier's registration (only the first one found),
// the conduit registration of creator "TVRL", the shortcuts, our files in the
// Palm Desktop folder, the installed files and folder with the install key;
// asks HotSync Manager to restart; shows the completion dialog. Every delete
// is tried once and its result not looked at: a file that is missing or in
// use, and a folder that is not empty, stay behind. The running
// uninstaller's own file is not deleted, so its folder stays too. A link is
// deleted as a link, never followed: a folder of ours that has become a link
// is removed as that link, so nothing is deleted where it points. Run from a
// package's folder (InstallLayout::PackageOf), the installed files and the
// install key are left to the package manager.
class Uninstaller {
public:
    enum class Outcome { Declined, Failed, Removed };

    Uninstaller(IUninstallPrompter& prompter, IPalmLibraryLoader& libraries,
                InstallLayout::ShortcutFolders shortcuts, QString runningProgram);

    Outcome Run();

private:
    void RemoveNotifierRegistration(const ConduitManager& conduits);
    void RemoveShortcuts();
    void RemoveInstallation();

    IUninstallPrompter& m_prompter;
    IPalmLibraryLoader& m_libraries;
    InstallLayout::ShortcutFolders m_shortcuts;
    QString m_runningProgram;
};
