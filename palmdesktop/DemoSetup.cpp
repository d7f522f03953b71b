// tvpalmsetup: sets up a demo Palm Desktop when none is configured, so that
// the desktop program can be tried on a machine without one: a Palm Desktop
// folder in the user's data folder with a user "Demo" whose Tarvenly data
// file holds generated sample data, the Palm Desktop settings naming that
// folder, and the notifier library registered with HotSync Manager. It never
// overwrites an existing configuration or data file. Palm Desktop's own
// libraries (the conduit manager and the HotSync API, which installers load
// from the Palm Desktop folder) are put into that folder every time, also
// when Palm Desktop was configured before, so that they match this build.

#include "FileUserManager.h"
#include "PalmDesktopSettings.h"
#include "PalmLibraries.h"
#include "SampleGenerator.h"
#include "TvDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <cstdio>

namespace {

constexpr const char* kDemoUser = "Demo";

int Fail(const QString& text) {
    std::fprintf(stderr, "tvpalmsetup: %s\n", text.toLocal8Bit().constData());
    return 1;
}

// Copies Palm Desktop's libraries from beside this program into its folder.
// Each is replaced by a rename, so a program that has the old one loaded
// keeps it intact.
bool InstallLibraries(const QString& folder) {
    for (const char* name :
         {PalmLibraryLoader::kConduitManagerFile, PalmLibraryLoader::kHotSyncApiFile}) {
        QFile source(QCoreApplication::applicationDirPath() + "/" + name);
        QSaveFile target(folder + "/" + name);
        if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly) ||
            target.write(source.readAll()) != source.size() || !target.commit()) {
            Fail(QString("cannot copy %1 into %2").arg(source.fileName(), folder));
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() > 1 || (arguments.size() == 1 && arguments[0].startsWith("-"))) {
        std::fputs("usage: tvpalmsetup [NOTIFIER-LIBRARY]\n"
                   "Sets up a demo Palm Desktop with a user \"Demo\" when none is configured,\n"
                   "and puts Palm Desktop's libraries into its folder.\n",
                   arguments.value(0) == "--help" ? stdout : stderr);
        return arguments.value(0) == "--help" ? 0 : 2;
    }

    if (const auto existing = PalmDesktopSettings::DesktopFolder()) {
        if (!InstallLibraries(*existing))
            return 1;
        std::printf("Palm Desktop is configured at %s; only its libraries were renewed.\n",
                    existing->toLocal8Bit().constData());
        return 0;
    }

    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Palm Desktop";
    if (!QDir().mkpath(folder))
        return Fail("cannot create " + folder);
    const std::string desktop = folder.toStdString();
    if (!QFileInfo::exists(folder + "/" + FileUserManager::kFileName) &&
        !FileUserManager::Create(desktop, desktop + "/"))
        return Fail("cannot write the user store in " + folder);
    auto users = FileUserManager::Open(desktop);
    if (users == nullptr)
        return Fail("cannot read the user store in " + folder);
    std::uint32_t id = 0;
    if (users->UmGetIDFromName(kDemoUser, &id) < 0 && users->UmAddUser(kDemoUser, 0) != 0)
        return Fail("cannot add the user Demo");

    char userFolder[260] = {};
    std::int16_t size = sizeof(userFolder);
    users->UmGetIDFromName(kDemoUser, &id);
    if (users->UmGetUserDirectory(id, userFolder, &size) <= 0)
        return Fail("the user Demo has no folder");
    const QString dataFolder = folder + "/" + QString::fromUtf8(userFolder) + "/Tarvenly";
    const QString dataFile = dataFolder + "/TvData.tv";
    if (!QDir().mkpath(dataFolder))
        return Fail("cannot create " + dataFolder);
    if (!QFileInfo::exists(dataFile)) {
        TvDocument document;
        SampleOptions options;
        GenerateSample(document, options);
        if (!document.OnSaveDocument(dataFile.toStdString()))
            return Fail(QString::fromStdString(document.LastError()) + ". " + dataFile);
    }

    if (!InstallLibraries(folder))
        return 1;
    if (!arguments.isEmpty())
        PalmDesktopSettings::AddNotifier(QFileInfo(arguments[0]).absoluteFilePath());
    PalmDesktopSettings::SetDesktopFolder(folder);
    std::printf("Demo Palm Desktop set up at %s with the user Demo.\n",
                folder.toLocal8Bit().constData());
    return 0;
}
