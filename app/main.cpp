#include "AllocatorTuning.h"
#include "LocalTimeZone.h"
#include "TvDeskApp.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstring>

namespace {

// --help and --version need no display (help2man runs them while building).
bool AsksForHelpOrVersion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "--help", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    TuneAllocatorForLargeFiles();
    CacheLocalTimeZone();
    if (AsksForHelpOrVersion(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName("Brisklane");
    QCoreApplication::setApplicationName("TvDesk");
    QCoreApplication::setApplicationVersion(CTvDeskApp::VersionText());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Tarvenly Desktop: trips, vehicles, service work and expenses of the Tarvenly vehicle "
        "log.\nWithout FILE it opens the data file of the current Palm Desktop user.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("FILE", "Open this data file instead of the Palm user's.",
                                 "[FILE]");
    parser.process(application);
    if (parser.positionalArguments().size() > 1)
        parser.showHelp(2);

    CTvDeskApp app;
    const QString file = parser.positionalArguments().value(0);
    // The file is read while the window is built.
    app.ReadEarly(file);
    if (!app.InitApplication())
        return 1;
    if (!app.InitInstance(file)) {
        app.ExitInstance();
        // Another copy runs (it was brought to the front), or this one
        // could not start and said why.
        return app.StartFailed() ? 1 : 0;
    }
    const int status = QApplication::exec();
    const int exitStatus = app.ExitInstance();
    return status != 0 ? status : exitStatus;
}
