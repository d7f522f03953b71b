// A program killed (kill -9) after an edit gives the edit back at the next
// start on that file; when a HotSync changed the data file meanwhile, the
// edit goes to a file of its own beside it and the data file stays as the
// HotSync left it. The killed program is a process of its own: this test
// program run again on its one disabled test.

#include "RecoveryJournal.h"
#include "AppFixture.h"
#include "ChangeJournal.h"
#include "TvDeskDoc.h"
#include "VehicleCommands.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStatusBar>
#include <csignal>

namespace {

constexpr const char* kFileVariable = "TV_JOURNAL_TEST_FILE";
constexpr const char* kDataVariable = "TV_JOURNAL_TEST_DATA";

class RecoveryJournalScenario : public AppFixture {
protected:
    static void WriteWithVehicle(const std::string& path, const char* name) {
        TvDocument data;
        if (!data.OnOpenDocument(path))
            data.InitNewDocument();
        VehicleRecord vehicle;
        vehicle.Name.Set(name);
        data.Vehicles().Append(vehicle);
        ASSERT_TRUE(data.OnSaveDocument(path));
    }
    static QByteArray Bytes(const std::string& path) {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The journals of the data file (other tests' programs leave theirs).
    static QStringList JournalsOf(const std::string& file, bool withChanges) {
        const QDir folder(CRecoveryJournal::Folder());
        QStringList found;
        for (const QString& name : folder.entryList({"*.tvj"}, QDir::Files)) {
            const auto contents = ChangeJournal::Read(folder.filePath(name).toStdString());
            if (contents && contents->header.dataPath == file &&
                (!withChanges || contents->HasChanges()))
                found << name;
        }
        return found;
    }
    static bool WaitFor(const std::function<bool()>& done) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > 30000)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }
};

// The killed program: started on the given file, it adds a vehicle as the
// vehicle dialog's OK does and runs until it is killed.
TEST_F(RecoveryJournalScenario, DISABLED_EditsAndRunsUntilKilled) {
    const QString file = qEnvironmentVariable(kFileVariable);
    ASSERT_FALSE(file.isEmpty());
    // The data folder of the test that started this one.
    ::setenv("XDG_DATA_HOME", qgetenv(kDataVariable).constData(), 1);
    ASSERT_TRUE(Start(file));
    CTvDeskDoc& document = m_app->Doc();
    VehicleRecord vehicle;
    vehicle.Name.Set("Rescued");
    const std::uint32_t before = document.Vehicles().IdCounter;
    vehicle.VehicleId = document.Vehicles().NewId();
    document.Push(new CNewVehicleCommand(document, vehicle, before));
    WaitFor([] { return false; });
}

TEST_F(RecoveryJournalScenario, AKilledProgramsEditComesBackAtTheNextStart) {
    for (const bool hotSyncMeanwhile : {false, true}) {
        SCOPED_TRACE(hotSyncMeanwhile);
        const std::string file =
            (m_folder.path() + (hotSyncMeanwhile ? "/Synced.tv" : "/TvData.tv")).toStdString();
        WriteWithVehicle(file, "Civic");

        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(kFileVariable, QString::fromStdString(file));
        environment.insert(kDataVariable, qEnvironmentVariable("XDG_DATA_HOME"));
        program.setProcessEnvironment(environment);
        program.start(QCoreApplication::applicationFilePath(),
                      {"--gtest_also_run_disabled_tests",
                       "--gtest_filter=RecoveryJournalScenario.DISABLED_EditsAndRunsUntilKilled"});
        ASSERT_TRUE(WaitFor([&file] { return !JournalsOf(file, true).isEmpty(); }))
            << program.readAll().toStdString();
        ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
        ASSERT_TRUE(program.waitForFinished(10000));
        if (hotSyncMeanwhile)
            WriteWithVehicle(file, "From the handheld");
        const QByteArray fileBefore = Bytes(file);

        // The question's default: Restore, or Save to a file of its own.
        ASSERT_TRUE(Start(QString::fromStdString(file)));
        CTvDeskDoc& document = m_app->Doc();
        EXPECT_EQ(HasVehicle(document, "Rescued"), !hotSyncMeanwhile);
        EXPECT_EQ(document.IsModified(), !hotSyncMeanwhile);
        if (hotSyncMeanwhile) {
            const QStringList recovered =
                QDir(m_folder.path()).entryList({"Synced-recovered-*.tv"}, QDir::Files);
            ASSERT_EQ(recovered.size(), 1);
            const std::string path = (m_folder.path() + "/" + recovered[0]).toStdString();
            EXPECT_TRUE(FileHasVehicle(path, "Rescued"));
            EXPECT_FALSE(FileHasVehicle(path, "From the handheld"));
            EXPECT_EQ(Bytes(file), fileBefore);
        }
        // Exit saves, and the journal goes with a clean end.
        QCloseEvent exit;
        QApplication::sendEvent(m_app->MainFrame(), &exit);
        ASSERT_TRUE(exit.isAccepted()) << MessageBox::shownTexts().join("\n").toStdString();
        m_app->ExitInstance();
        m_app.reset();
        EXPECT_EQ(FileHasVehicle(file, "Rescued"), !hotSyncMeanwhile);
        EXPECT_TRUE(JournalsOf(file, false).isEmpty());
    }
}

TEST_F(RecoveryJournalScenario, WithoutADataFolderTheStatusBarSaysSoAndEditingGoesOn) {
    const std::string file = (m_folder.path() + "/TvData.tv").toStdString();
    WriteWithVehicle(file, "Civic");
    // The data folder's place is taken by a file: no folder can be made there.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    const QString blocked = m_folder.path() + "/not-a-folder";
    QFile(blocked).open(QIODevice::WriteOnly);
    ::setenv("XDG_DATA_HOME", QFile::encodeName(blocked).constData(), 1);
    const bool started = Start(QString::fromStdString(file));
    ::setenv("XDG_DATA_HOME", dataHome.constData(), 1);
    ASSERT_TRUE(started);
    EXPECT_TRUE(m_app->MainFrame()->statusBar()->currentMessage().contains(blocked));
    CTvDeskDoc& document = m_app->Doc();
    VehicleRecord vehicle;
    vehicle.Name.Set("Rescued");
    document.Push(new CNewVehicleCommand(document, vehicle, document.Vehicles().IdCounter));
    EXPECT_TRUE(HasVehicle(document, "Rescued"));
    QCloseEvent exit;
    QApplication::sendEvent(m_app->MainFrame(), &exit);
    EXPECT_TRUE(exit.isAccepted());
    EXPECT_TRUE(FileHasVehicle(file, "Rescued"));
}

} // namespace
