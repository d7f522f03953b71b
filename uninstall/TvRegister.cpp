// TvRegister: registers an installed copy of Tarvenly for the user (see
// Registration.h). `make install-user` runs it after `cmake --install`.

#include "InstallLayout.h"
#include "Registration.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool help = arguments.value(0) == "--help" || arguments.value(0) == "-h";
    if (arguments.size() != 1 || help || arguments[0].startsWith("-")) {
        std::fputs("usage: TvRegister INSTALL-FOLDER\n"
                   "Registers the Tarvenly installed in INSTALL-FOLDER (PREFIX/lib/tarvenly) for\n"
                   "this user: the notifier and the conduit with Palm Desktop, the install key\n"
                   "and the shortcuts on the desktop and in the applications menu. For the\n"
                   "folder of the Debian package, the notifier and the conduit only.\n",
                   help ? stdout : stderr);
        return help ? 0 : 2;
    }

    PalmLibraryLoader libraries;
    Registration registration(libraries, InstallLayout::ShortcutFolders::ForUser());
    const Registration::Result result = registration.Register(arguments[0]);
    if (!result.error.isEmpty()) {
        std::fprintf(stderr, "TvRegister: %s\n", result.error.toLocal8Bit().constData());
        return 1;
    }
    const bool package = InstallLayout::PackageOf(arguments[0]).has_value();
    std::printf("Tarvenly in %s is registered: notifier Notifier%d, conduit %s%s.\n",
                arguments[0].toLocal8Bit().constData(), result.notifierNumber,
                InstallLayout::kCreator, package ? "" : ", shortcuts");
    return 0;
}
