// The real programs in the tests' own home: `cmake --install` of this build
// into a prefix whose name needs quoting, the demo Palm Desktop set up by
// tvpalmsetup, TvRegister, and the installed TvUnInstall run unattended.

#include "InstallFixture.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

struct Finished {
    int status = -1;
    QString output;
};

Finished RunProgram(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Finished finished;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return finished;
    finished.status = process.exitCode();
    finished.output = QString::fromLocal8Bit(process.readAll());
    return finished;
}

// The command line of a desktop entry's Exec line, with the entry's escapes
// and the line's quoting undone.
QStringList CommandOf(const QByteArray& entry) {
    QString exec;
    for (const QString& line : QString::fromUtf8(entry).split('\n'))
        if (line.startsWith("Exec="))
            exec = line.mid(5);
    QString value;
    for (int i = 0; i < exec.size(); ++i) {
        if (exec[i] == '\\' && i + 1 < exec.size()) {
            const QChar next = exec[++i];
            value += next == 's' ? QChar(' ') : next;
        } else {
            value += exec[i];
        }
    }
    QStringList arguments;
    for (int i = 0; i < value.size(); ++i) {
        if (value[i] == ' ')
            continue;
        QString argument;
        const bool quoted = value[i] == '"';
        for (i += quoted ? 1 : 0; i < value.size(); ++i) {
            if (quoted ? value[i] == '"' : value[i] == ' ')
                break;
            if (quoted && value[i] == '\\' && i + 1 < value.size())
                ++i;
            else if (value[i] == '%' && i + 1 < value.size() && value[i + 1] == '%')
                ++i;
            argument += value[i];
        }
        arguments << argument;
    }
    return arguments;
}

TEST(EndToEndTest, InstallRegisterAndUninstallLeaveOnlyTheUninstaller) {
    const QString home = QDir::homePath();
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    const QString applications =
        QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    ASSERT_TRUE(desktop.startsWith(home) && applications.startsWith(home));
    // A home where Tarvenly was never installed, with the usual folders.
    for (auto open : {PalmSettings, InstallSettings}) {
        QSettings settings = open();
        settings.clear();
        settings.sync();
        QFile::remove(settings.fileName());
        QDir().rmdir(QFileInfo(settings.fileName()).path());
    }
    ASSERT_TRUE(QDir().mkpath(desktop) && QDir().mkpath(applications));
    const Finished palm = RunProgram(TV_PALMSETUP_PATH, {});
    ASSERT_EQ(palm.status, 0) << palm.output.toStdString();
    const Snapshot before = TakeSnapshot(home);

    QTemporaryDir prefixes;
    ASSERT_TRUE(prefixes.isValid());
    const QString prefix = prefixes.path() + "/pre fix $HOME 100% \"q\"";
    const Finished installed =
        RunProgram(TV_CMAKE_COMMAND, {"--install", TV_BUILD_DIR, "--prefix", prefix});
    ASSERT_EQ(installed.status, 0) << installed.output.toStdString();
    const QString folder = prefix + "/lib/tarvenly";
    const Finished registered = RunProgram(TV_REGISTER_PATH, {folder});
    ASSERT_EQ(registered.status, 0) << registered.output.toStdString();

    // Each shortcut starts what it names.
    const QString menu = applications + "/Tarvenly/";
    EXPECT_EQ(CommandOf(ReadFile(desktop + "/Tarvenly.desktop")), QStringList{folder + "/TvDesk"});
    EXPECT_EQ(CommandOf(ReadFile(menu + "Tarvenly.desktop")), QStringList{folder + "/TvDesk"});
    EXPECT_EQ(CommandOf(ReadFile(menu + "TvUninstall.desktop")),
              QStringList{folder + "/TvUnInstall"});
    EXPECT_EQ(CommandOf(ReadFile(menu + "TvUserGuide.desktop")),
              (QStringList{"xdg-open", folder + "/TvUserGuide.html"}));
    for (const char* name : InstallLayout::kInstalledFiles)
        EXPECT_TRUE(QFileInfo(folder + "/" + name).isFile()) << name;

    const Finished removed = RunProgram(folder + "/TvUnInstall", {"--yes"});
    EXPECT_EQ(removed.status, 0) << removed.output.toStdString();
    EXPECT_EQ(removed.output, "Tarvenly was successfully removed.\n");

    // Registering and removing each asked HotSync Manager to restart.
    Snapshot expected = before;
    expected["[palm] HotSync Manager/Restart Requests"] = "2";
    EXPECT_EQ(TakeSnapshot(home), expected);
    const Snapshot left = {
        {"lib/", ""},
        {"lib/tarvenly/", ""},
        {"lib/tarvenly/TvUnInstall", TakeSnapshot(prefix, false).at("lib/tarvenly/TvUnInstall")}};
    EXPECT_EQ(TakeSnapshot(prefix, false), left);
}

} // namespace
