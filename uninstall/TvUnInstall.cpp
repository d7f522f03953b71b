// TvUnInstall: removes Tarvenly from the user's account (see Uninstaller.h).
// With --yes it removes without asking and without windows, the messages
// going to the terminal, so that it also runs where there is no display.

#include "DialogPrompter.h"
#include "InstallLayout.h"
#include "Uninstaller.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstring>
#include <memory>

namespace {

bool Unattended(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--yes") == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    const bool unattended = Unattended(argc, argv);
    std::unique_ptr<QCoreApplication> application;
    if (unattended)
        application = std::make_unique<QCoreApplication>(argc, argv);
    else
        application = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName("TvUnInstall");

    QCommandLineParser parser;
    parser.setApplicationDescription("Removes Tarvenly: its registrations with Palm Desktop, its "
                                     "shortcuts and its installed files.");
    parser.addHelpOption();
    parser.addOption({"yes", "Remove without asking and without windows."});
    parser.process(*application);
    if (!parser.positionalArguments().isEmpty())
        parser.showHelp(2);

    PalmLibraryLoader libraries;
    ConsolePrompter console;
    DialogPrompter dialogs;
    IUninstallPrompter& prompter = unattended ? static_cast<IUninstallPrompter&>(console) : dialogs;
    Uninstaller uninstaller(prompter, libraries, InstallLayout::ShortcutFolders::ForUser(),
                            QCoreApplication::applicationFilePath());
    return uninstaller.Run() == Uninstaller::Outcome::Failed ? 1 : 0;
}
