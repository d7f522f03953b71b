// One running copy per user: real copies of the program started side by
// side, a running copy that stalls, and one that is killed.

#include "AppFixture.h"
#include "FileUserManager.h"
#include "HandOverProtocol.h"
#include "InstanceLock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
#include <csignal>
#include <functional>
#include <future>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

TEST(InstanceLockTest, ALinkOrFolderPlantedAtThePathIsNotUsed) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString target = folder.path() + "/elsewhere";
    const QString link = folder.path() + "/linked.lock";
    ASSERT_TRUE(QFile::link(target, link));
    InstanceLock linked(link.toStdString());
    EXPECT_EQ(linked.TryAcquire(), InstanceLock::Result::Failed);
    EXPECT_FALSE(linked.Error().empty());
    EXPECT_FALSE(QFile::exists(target)) << "the link was followed";

    ASSERT_TRUE(QDir(folder.path()).mkdir("folder.lock"));
    InstanceLock inFolder((folder.path() + "/folder.lock").toStdString());
    EXPECT_EQ(inFolder.TryAcquire(), InstanceLock::Result::Failed);
    EXPECT_FALSE(inFolder.IsHeld());
}

// A Palm Desktop with one user, "Ann", that the real program finds, and the
// copies of the program a test starts; any left running are killed.
class SingleCopy : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        AddUser(1, "Ann");
        ASSERT_TRUE(FileUserManager::Create(m_folder.path().toStdString(),
                                            (m_folder.path() + "/").toStdString()));
        std::unique_ptr<FileUserManager> store =
            FileUserManager::Open(m_folder.path().toStdString());
        ASSERT_NE(store, nullptr);
        ASSERT_EQ(store->UmAddUser("Ann", 0), 0);
    }

    void TearDown() override {
        for (const std::unique_ptr<QProcess>& copy : m_copies) {
            if (copy->state() != QProcess::NotRunning) {
                copy->kill();
                copy->waitForFinished(5000);
            }
        }
        AppFixture::TearDown();
    }

    QProcess&
    StartCopy(const QStringList& args = {},
              const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        m_copies.push_back(std::make_unique<QProcess>());
        QProcess& copy = *m_copies.back();
        copy.setProcessEnvironment(environment);
        copy.start(TV_DESK_PATH, args);
        return copy;
    }

    // Serves this process's events until done() holds or the time is up.
    static bool WaitFor(const std::function<bool()>& done, int milliseconds) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > milliseconds)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    std::vector<QProcess*> Running() const {
        std::vector<QProcess*> running;
        for (const std::unique_ptr<QProcess>& copy : m_copies)
            if (copy->state() != QProcess::NotRunning)
                running.push_back(copy.get());
        return running;
    }

    // The HotSync probe, sent from another thread while this one serves the
    // program of this process, if any.
    static std::optional<std::uint32_t> Probe() {
        auto answer = std::async(std::launch::async, [] {
            return HandOver::SendRequest(HandOver::kHotSyncMessage, HandOver::Probe, 0, 2);
        });
        while (answer.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return answer.get();
    }

    static bool Answers() { return Probe() == HandOver::kHotSyncMessage; }

    static ino_t SocketInode() {
        struct stat info {};
        if (::stat(CTvDeskApp::HandOverPath().toLocal8Bit().constData(), &info) != 0 ||
            !S_ISSOCK(info.st_mode))
            return 0;
        return info.st_ino;
    }

    static void ExpectEndedQuietly(const QProcess& copy) {
        EXPECT_EQ(copy.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(copy.exitCode(), 0);
    }

    std::vector<std::unique_ptr<QProcess>> m_copies;
};

TEST_F(SingleCopy, CopiesStartedAtTheSameMomentLeaveExactlyOneRunning) {
    constexpr int kCopies = 4;
    for (int i = 0; i < kCopies; ++i)
        StartCopy();
    for (const std::unique_ptr<QProcess>& copy : m_copies)
        ASSERT_TRUE(copy->waitForStarted(5000));
    // The others end once the first has answered, or after their short wait.
    ASSERT_TRUE(WaitFor([this] { return Running().size() <= 1; }, 30000))
        << Running().size() << " copies keep running";
    ASSERT_EQ(Running().size(), 1u) << "no copy kept running";
    for (const std::unique_ptr<QProcess>& copy : m_copies)
        if (copy->state() == QProcess::NotRunning)
            ExpectEndedQuietly(*copy);
    // The one left is the one listening.
    EXPECT_EQ(Probe(), HandOver::kHotSyncMessage);
    // And it stays the only one.
    QProcess& late = StartCopy();
    ASSERT_TRUE(late.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&late] { return late.state() == QProcess::NotRunning; }, 20000));
    ExpectEndedQuietly(late);
    EXPECT_EQ(Running().size(), 1u);
}

TEST_F(SingleCopy, AKilledCopyLeavesNothingThatKeepsTheNextOneFromStarting) {
    QProcess& first = StartCopy();
    ASSERT_TRUE(WaitFor(Answers, 20000)) << "the first copy did not start";
    ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
    ASSERT_TRUE(first.waitForFinished(5000));
    // Its socket file is left behind; its lock went with the process.
    EXPECT_NE(SocketInode(), 0u);
    EXPECT_FALSE(Answers());

    QProcess& next = StartCopy();
    ASSERT_TRUE(WaitFor(Answers, 20000)) << "the next copy did not take over";
    EXPECT_EQ(next.state(), QProcess::Running);
}

TEST_F(SingleCopy, AStalledCopyKeepsItsSocketWhileAnotherStartsAndEnds) {
    ASSERT_TRUE(Start());
    const ino_t socket = SocketInode();
    ASSERT_NE(socket, 0u);

    // This copy serves nothing while the other one runs: it is stalled.
    QProcess& second = StartCopy();
    ASSERT_TRUE(second.waitForFinished(20000)) << "the second copy kept running";
    ExpectEndedQuietly(second);

    EXPECT_EQ(SocketInode(), socket) << "the socket was replaced or removed";
    EXPECT_EQ(Probe(), HandOver::kHotSyncMessage);
}

TEST_F(SingleCopy, ACopyThatHoldsTheLockButDoesNotListenYetIsNotTakenOver) {
    InstanceLock holder(CTvDeskApp::InstanceLockPath().toStdString());
    ASSERT_EQ(holder.TryAcquire(), InstanceLock::Result::Acquired);
    QFile::remove(CTvDeskApp::HandOverPath());

    QProcess& second = StartCopy();
    ASSERT_TRUE(second.waitForFinished(20000)) << "the second copy kept running";
    ExpectEndedQuietly(second);
    EXPECT_FALSE(QFile::exists(CTvDeskApp::HandOverPath()));

    // Once the holder is gone, a copy starts as usual.
    holder.Release();
    ASSERT_TRUE(Start());
    EXPECT_EQ(Probe(), HandOver::kHotSyncMessage);
}

TEST_F(SingleCopy, ACopyStartedWhileTheRunningOneEndsTakesOverOnceItIsGone) {
    ASSERT_TRUE(Start());
    // The running copy is past its event loop and about to end: it holds the
    // lock but answers nothing.
    QProcess& next = StartCopy();
    ASSERT_TRUE(next.waitForStarted(5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    m_app->ExitInstance();
    m_app.reset();
    ASSERT_TRUE(WaitFor(Answers, 20000)) << "the new copy did not take over";
    EXPECT_EQ(next.state(), QProcess::Running);
}

} // namespace

// A copy started from a shell without the runtime folder (cron, su, ssh)
// would look for the socket elsewhere; it finds the running copy through the
// lock all the same, and one started on another file says which one runs.
TEST_F(SingleCopy, ACopyWithoutTheRuntimeFolderDoesNotRunBesideTheFirst) {
    QProcess& first = StartCopy();
    ASSERT_TRUE(WaitFor(Answers, 20000)) << "the first copy did not start";
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    bare.remove("XDG_RUNTIME_DIR");
    const QString otherSocket = QString("/tmp/TarvenlyDesktop-%1").arg(::getuid());
    const bool otherSocketBefore = QFile::exists(otherSocket);
    const QString other = m_folder.path() + "/other.tv";

    for (const QStringList& args : {QStringList(), QStringList(other)}) {
        QProcess& second = StartCopy(args, bare);
        ASSERT_TRUE(second.waitForFinished(20000)) << "a second copy runs beside the first";
        ExpectEndedQuietly(second);
        if (!args.isEmpty()) {
            EXPECT_TRUE(second.readAllStandardError().contains("already running with"));
        }
    }
    EXPECT_EQ(QFile::exists(otherSocket), otherSocketBefore) << "the second copy made a socket";
    EXPECT_FALSE(QFile::exists(other));
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_TRUE(Answers());
}

TEST_F(SingleCopy, ASocketPathTooLongForTheSystemEndsTheStartWithAMessage) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QString deep = m_folder.path() + "/" + QString(110, 'r');
    ASSERT_TRUE(QDir().mkpath(deep));
    qputenv("XDG_RUNTIME_DIR", deep.toLocal8Bit());
    const bool started = Start();
    qputenv("XDG_RUNTIME_DIR", runtime);
    EXPECT_FALSE(started);
    EXPECT_TRUE(m_app->StartFailed());
    EXPECT_EQ(MessageBox::shownTexts().size(), 1);
    EXPECT_TRUE(QDir(deep).isEmpty());
}
