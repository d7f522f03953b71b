#include "AppFixture.h"
#include "FileSizeLimit.h"
#include "FileUserManager.h"
#include "HandOverProtocol.h"
#include "MainFrame.h"
#include "SampleGenerator.h"
#include "TvDeskDoc.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTimer>
#include <chrono>
#include <dlfcn.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using NotifyFunction = std::int32_t (*)(std::int32_t, std::int32_t);

// Runs work on another thread while this one keeps serving the program's
// event loop, as HotSync Manager's process and the program run side by side.
template <typename Work> auto WhileServing(Work work) {
    auto result = std::async(std::launch::async, std::move(work));
    while (result.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return result.get();
}

class HotSyncHandOver : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        m_library = ::dlopen(TV_NOTIFIER_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_library, nullptr) << ::dlerror();
        m_notify = reinterpret_cast<NotifyFunction>(::dlsym(m_library, "HS_Notify"));
        ASSERT_NE(m_notify, nullptr);

        AddUser(1, "Ann");
        QDir(m_folder.path()).mkpath("Ann/Tarvenly");
        TvDocument sample;
        SampleOptions options;
        options.Trips = 200;
        GenerateSample(sample, options);
        ASSERT_TRUE(sample.OnSaveDocument(DataFileOf("Ann")));
        ASSERT_TRUE(Start());
    }

    void TearDown() override {
        AppFixture::TearDown();
        if (m_library != nullptr)
            ::dlclose(m_library);
    }

    std::int32_t Notify(std::int32_t event, std::int32_t data = 0) {
        return WhileServing([this, event, data] { return m_notify(event, data); });
    }

    void AddVehicleInProgram(const char* name) {
        VehicleRecord vehicle;
        vehicle.Name.Set(name);
        m_app->Doc().Vehicles().Append(vehicle);
        m_app->Doc().SetModifiedFlag(true);
    }

    // What the conduit does during a HotSync: the file gets a new trip.
    void ConduitAddsTrip(const char* destination) {
        TvDocument file;
        ASSERT_TRUE(file.OnOpenDocument(DataFileOf("Ann")));
        TripRecord trip = file.Trips().CreateRecord();
        trip.Destination.Set(destination);
        file.Trips().Append(trip);
        ASSERT_TRUE(file.OnSaveDocument(DataFileOf("Ann")));
    }

    static bool HasTrip(const TvDocument& document, std::string_view destination) {
        for (const TripRecord& trip : document.Trips().Records())
            if (trip.Destination.View() == destination)
                return true;
        return false;
    }

    QByteArray FileBytes() const {
        QFile file(QString::fromStdString(DataFileOf("Ann")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void* m_library = nullptr;
    NotifyFunction m_notify = nullptr;
};

TEST_F(HotSyncHandOver, ASynchronisationSavesBeforeAndReloadsAfter) {
    AddVehicleInProgram("Pickup");
    EXPECT_EQ(Notify(1), 1);
    EXPECT_FALSE(m_app->Doc().IsModified());
    TvDocument onDisk;
    ASSERT_TRUE(onDisk.OnOpenDocument(DataFileOf("Ann")));
    EXPECT_TRUE(HasVehicle(onDisk, "Pickup"));

    ConduitAddsTrip("From the handheld");
    EXPECT_EQ(Notify(2), 1);
    EXPECT_EQ(m_app->Document, &m_app->Doc());
    EXPECT_TRUE(HasTrip(m_app->Doc(), "From the handheld"));
    EXPECT_TRUE(HasVehicle(m_app->Doc(), "Pickup"));
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty())
        << MessageBox::shownTexts().join("\n").toStdString();
}

TEST_F(HotSyncHandOver, EventsWithoutARequestOfTheirOwnChangeNothing) {
    AddVehicleInProgram("Unsaved");
    const QByteArray before = FileBytes();
    EXPECT_EQ(Notify(7), 1);
    EXPECT_EQ(Notify(3), 1);
    EXPECT_EQ(Notify(0), 1);
    EXPECT_EQ(FileBytes(), before);
    EXPECT_TRUE(m_app->Doc().IsModified());
    EXPECT_TRUE(HasVehicle(m_app->Doc(), "Unsaved"));
}

TEST_F(HotSyncHandOver, SavingWithNoOpenDocumentDoesNothing) {
    m_app->Document = nullptr;
    AddVehicleInProgram("Unsaved");
    const QByteArray before = FileBytes();
    EXPECT_EQ(m_app->MainFrame()->OnHotSyncMessage(HandOver::Save, 0), 0u);
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(m_app->MainFrame()->OnHotSyncMessage(HandOver::Probe, 0), 5120u);
}

TEST_F(HotSyncHandOver, EditsThatCouldNotBeSavedAreKeptInARecoveryFileBeforeTheReload) {
    AddVehicleInProgram("Unsaved");
    const QByteArray before = FileBytes();
    // Too small for the data file, large enough for the trace log.
    ASSERT_GT(before.size(), 16384);
    {
        FileSizeLimit limit(8192);
        EXPECT_EQ(Notify(1), 1); // the program answers 0 all the same
    }
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("File had a write error"));
    EXPECT_EQ(FileBytes(), before);
    EXPECT_TRUE(m_app->Doc().IsModified());

    MessageBox::clearShownTexts();
    ConduitAddsTrip("From the handheld");
    EXPECT_EQ(Notify(2), 1);
    EXPECT_TRUE(HasTrip(m_app->Doc(), "From the handheld"));
    EXPECT_FALSE(HasVehicle(m_app->Doc(), "Unsaved"));

    const QStringList recovered =
        QDir(m_folder.path() + "/Ann/Tarvenly").entryList({"TvData-unsaved-*.tv"}, QDir::Files);
    ASSERT_EQ(recovered.size(), 1);
    const QString recovery = m_folder.path() + "/Ann/Tarvenly/" + recovered.first();
    ASSERT_EQ(MessageBox::shownTexts().size(), 1);
    EXPECT_TRUE(MessageBox::shownTexts().first().contains(recovery));
    TvDocument kept;
    ASSERT_TRUE(kept.OnOpenDocument(recovery.toStdString()));
    EXPECT_TRUE(HasVehicle(kept, "Unsaved"));
    EXPECT_FALSE(HasTrip(kept, "From the handheld"));
}

// A raw client of the program's socket.
class RawClient {
public:
    RawClient() {
        m_socket.connectToServer(CTvDeskApp::HandOverPath());
        m_connected = m_socket.waitForConnected(1000);
    }
    bool Connected() const { return m_connected; }
    void Write(const QByteArray& bytes) {
        m_socket.write(bytes);
        m_socket.flush();
    }
    // Serves the program until it answers or drops the connection.
    QByteArray ReplyWithin(int milliseconds) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < milliseconds && m_socket.state() == QLocalSocket::ConnectedState &&
               m_socket.bytesAvailable() < 4)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return m_socket.readAll();
    }
    bool Dropped() const { return m_socket.state() != QLocalSocket::ConnectedState; }

private:
    QLocalSocket m_socket;
    bool m_connected = false;
};

QByteArray Frame(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam) {
    unsigned char bytes[12];
    HandOver::PutU32(bytes, message);
    HandOver::PutU32(bytes + 4, wParam);
    HandOver::PutU32(bytes + 8, lParam);
    return QByteArray(reinterpret_cast<const char*>(bytes), 12);
}

TEST_F(HotSyncHandOver, TheProbeIsAnsweredAndMalformedFramesAreDropped) {
    {
        RawClient probe;
        ASSERT_TRUE(probe.Connected());
        probe.Write(Frame(5120, 0, 0));
        const QByteArray reply = probe.ReplyWithin(3000);
        ASSERT_EQ(reply.size(), 4);
        EXPECT_EQ(HandOver::GetU32(reinterpret_cast<const unsigned char*>(reply.data())), 5120u);
    }
    AddVehicleInProgram("Unsaved");
    const QByteArray before = FileBytes();
    const QByteArray wrongMessage = Frame(1234, HandOver::Save, 0);
    const QByteArray tooLong = Frame(5120, HandOver::Save, 0) + "xyzw";
    for (const QByteArray& bytes : {wrongMessage, tooLong}) {
        RawClient client;
        ASSERT_TRUE(client.Connected());
        client.Write(bytes);
        EXPECT_TRUE(client.ReplyWithin(3000).isEmpty());
        EXPECT_TRUE(client.Dropped());
    }
    EXPECT_EQ(FileBytes(), before);
    EXPECT_TRUE(m_app->Doc().IsModified());
}

TEST_F(HotSyncHandOver, OnlyTheSameUserCanReachTheSocket) {
    struct stat info {};
    ASSERT_EQ(::stat(CTvDeskApp::HandOverPath().toLocal8Bit().constData(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 077, 0u) << std::oct << info.st_mode;
    EXPECT_EQ(info.st_uid, ::getuid());
}

TEST_F(HotSyncHandOver, ASilentClientIsCutOffWithoutBlockingTheProgram) {
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(50);

    RawClient silent;
    ASSERT_TRUE(silent.Connected());
    RawClient partial;
    ASSERT_TRUE(partial.Connected());
    partial.Write(QByteArray("\x00\x14\x00", 3));
    // The partial frame is taken in, not left waiting: the event loop sleeps
    // until the next timer rather than waking for the same bytes again.
    int wakeups = 0;
    const QMetaObject::Connection counting =
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake,
                         [&wakeups] { ++wakeups; });
    QEventLoop idle;
    QTimer::singleShot(300, &idle, &QEventLoop::quit);
    idle.exec();
    QObject::disconnect(counting);
    EXPECT_LT(wakeups, 100);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(silent.ReplyWithin(6000).isEmpty());
    EXPECT_TRUE(silent.Dropped());
    EXPECT_TRUE(partial.ReplyWithin(1000).isEmpty());
    EXPECT_TRUE(partial.Dropped());
    EXPECT_LT(clock.elapsed(), 5000);
    // The program went on with its own work meanwhile.
    EXPECT_GT(ticks, 10);
}

TEST_F(HotSyncHandOver, ASecondCopyBringsTheFirstToTheFrontAndEnds) {
    // The second copy loads Palm Desktop's user store from the same folder.
    ASSERT_TRUE(FileUserManager::Create(m_folder.path().toStdString(),
                                        (m_folder.path() + "/").toStdString()));
    QFile logFile(QString::fromStdString(m_app->TraceLogFile().Path()));
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    const QByteArray logBefore = logFile.readAll();
    ASSERT_TRUE(logBefore.contains("CTvDeskApp::InitInstance()::return"));

    QProcess second;
    second.start(TV_DESK_PATH, {});
    ASSERT_TRUE(second.waitForStarted(5000));
    QElapsedTimer clock;
    clock.start();
    while (second.state() != QProcess::NotRunning && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(second.state(), QProcess::NotRunning) << "the second copy kept running";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

    // This copy goes on, with its log intact.
    logFile.seek(0);
    EXPECT_TRUE(logFile.readAll().startsWith(logBefore));
    EXPECT_EQ(m_app->MainFrame()->OnHotSyncMessage(HandOver::Probe, 0), 5120u);
}

} // namespace
