#include "AppFixture.h"
#include "Clock.h"
#include "LogView.h"
#include "TvDeskDoc.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QDir>
#include <QStatusBar>
#include <csignal>
#include <cstdio>
#include <functional>

namespace {

// A session bus of the test program's own, started before main (before
// anything in the program looks for a session bus) and ended at its exit:
// nothing reaches the user's desktop or the system bus.
class PrivateBus {
public:
    PrivateBus() {
        const QString config = m_folder.filePath("bus.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(QString("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                           "<auth>EXTERNAL</auth><policy context=\"default\"><allow "
                           "send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                           "<allow own=\"*\"/></policy></busconfig>")
                       .arg(m_folder.path())
                       .toUtf8());
        file.close();
        const QByteArray command = QByteArray(TV_DBUS_DAEMON) +
                                   " --config-file=" + config.toLocal8Bit() +
                                   " --fork --print-address=1 --print-pid=1";
        std::FILE* started = ::popen(command.constData(), "r");
        if (started == nullptr)
            return;
        char address[512] = {}, pid[32] = {};
        const bool read = std::fgets(address, sizeof(address), started) != nullptr &&
                          std::fgets(pid, sizeof(pid), started) != nullptr;
        ::pclose(started);
        if (!read)
            return;
        m_pid = std::atoi(pid);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", QByteArray(address).trimmed().constData(), 1);
    }
    ~PrivateBus() {
        if (m_pid > 0)
            ::kill(m_pid, SIGTERM);
    }
    bool IsRunning() const { return m_pid > 0; }

private:
    QTemporaryDir m_folder;
    int m_pid = 0;
};
const PrivateBus g_bus;

// Plays the desktop's notification service on the bus through a connection
// of its own: keeps each notification it is asked to show (summary, body)
// and can report the default action chosen.
class NotificationServer : public QDBusVirtualObject {
public:
    static constexpr const char* kPath = "/org/freedesktop/Notifications";
    static constexpr const char* kService = "org.freedesktop.Notifications";

    NotificationServer() { m_bus.registerVirtualObject(kPath, this); }
    ~NotificationServer() override {
        m_bus.unregisterObject(kPath);
        QDBusConnection::disconnectFromBus("server");
    }
    bool Register() { return m_bus.registerService(kService); }
    void ChooseDefaultAction() {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kService, "ActionInvoked");
        m_bus.send(signal << uint(shown.size()) << QStringLiteral("default"));
    }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != "Notify" || message.arguments().size() != 8)
            return false;
        shown.push_back({message.arguments()[3].toString(), message.arguments()[4].toString()});
        return connection.send(message.createReply(uint(shown.size())));
    }
    QString introspect(const QString&) const override { return {}; }

    std::vector<std::pair<QString, QString>> shown;

private:
    QDBusConnection m_bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "server");
};

// Ann's data: the Accord has nothing due; the Civic's oil change is past due.
class ReminderTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ASSERT_TRUE(g_bus.IsRunning());
        AddUser(1, "Ann");
        QDir().mkpath(QString::fromStdString(DataFileOf("Ann")).section('/', 0, -2));
    }

    // Writes Ann's data file: the Accord's oil change is months ahead, the
    // Civic's are on the given dates.
    void WriteData(const std::vector<MTime>& civicOilChanges) {
        TvDocument document;
        document.InitNewDocument();
        for (const auto& [name, id] : {std::pair{"Accord", 1u}, std::pair{"Civic", 2u}}) {
            VehicleRecord vehicle;
            vehicle.Name.Set(name);
            vehicle.VehicleId = id;
            document.Vehicles().Append(vehicle);
        }
        ServiceTypeRecord oil;
        oil.Name.Set("Oil change");
        oil.TimeUnit = static_cast<std::uint8_t>(TimeUnit::Months);
        oil.TimeCount = 3;
        document.ServiceTypes().Append(oil);
        std::vector<std::pair<std::uint32_t, MTime>> entries{{1, MTime(2017, 1, 1, 9, 0, 0, -1)}};
        for (const MTime& date : civicOilChanges)
            entries.emplace_back(2, date);
        for (const auto& [vehicle, date] : entries) {
            ServiceRecord entry(date);
            entry.VehicleId = vehicle;
            document.Services().Append(entry);
        }
        // Written beside it and renamed into place, as the conduit of a
        // HotSync does: the running program keeps its open file guarded.
        const std::string data = DataFileOf("Ann");
        ASSERT_TRUE(document.OnSaveDocument(data + ".new"));
        ASSERT_EQ(std::rename((data + ".new").c_str(), data.c_str()), 0);
    }

    // Lets the bus's messages arrive until done() holds or a while has passed.
    static bool WaitFor(const std::function<bool()>& done, int milliseconds = 3000) {
        QDeadlineTimer deadline(milliseconds);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }

    const Clock::ScopedFix m_clock{MTime(2016, 3, 20, 12, 0, 0, -1)};
    const MTime m_pastDue = MTime(2016, 3, 12, 9, 0, 0, -1);
    NotificationServer m_server;
};

TEST_F(ReminderTest, NotifiesAtStartAndAfterAReloadThatChangedTheSet) {
    ASSERT_TRUE(m_server.Register());
    WriteData({m_pastDue});
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitFor([this] { return m_server.shown.size() == 1; }));
    EXPECT_TRUE(m_server.shown[0].second.contains("Civic"));
    EXPECT_FALSE(m_server.shown[0].second.contains("Accord"));

    // The same set again after a HotSync: no second notification.
    m_app->ReloadDocument();
    EXPECT_FALSE(WaitFor([this] { return m_server.shown.size() > 1; }, 500));

    WriteData({m_pastDue, MTime(2016, 3, 25, 9, 0, 0, -1)});
    m_app->ReloadDocument();
    ASSERT_TRUE(WaitFor([this] { return m_server.shown.size() == 2; }));
    EXPECT_NE(m_server.shown[1].first, m_server.shown[0].first);

    // Choosing it shows the Civic's service log.
    m_server.ChooseDefaultAction();
    CMainFrame* frame = m_app->MainFrame();
    ASSERT_TRUE(WaitFor([frame] {
        return frame->RightView() != nullptr &&
               frame->RightView()->LogIndex() == LogIndex::kServiceLog;
    }));
    ASSERT_NE(m_app->Doc().SelectedVehicle, nullptr);
    EXPECT_EQ(m_app->Doc().SelectedVehicle->VehicleId, 2u);
}

TEST_F(ReminderTest, NothingDueSendsNothing) {
    ASSERT_TRUE(m_server.Register());
    WriteData({MTime(2016, 9, 1, 9, 0, 0, -1)});
    ASSERT_TRUE(Start());
    EXPECT_FALSE(WaitFor([this] { return !m_server.shown.empty(); }, 500));
}

TEST_F(ReminderTest, WithoutAServiceTheStatusBarTells) {
    WriteData({m_pastDue});
    ASSERT_TRUE(Start());
    QStatusBar* bar = m_app->MainFrame()->statusBar();
    ASSERT_TRUE(WaitFor([bar] { return bar->currentMessage().contains("Civic"); }));
    EXPECT_TRUE(m_server.shown.empty());
}

} // namespace
