// Runs the reminder tests headless in a home of their own, on a private
// session bus that this program starts and ends: nothing reaches the user's
// desktop or the system bus.

#include "FileDialog.h"
#include "MessageBox.h"
#include "ModalDialog.h"
#include "PrivateHome.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

constexpr const char* kBusConfig = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

// A dbus-daemon of the test's own; its address is in the environment while
// it lives.
class PrivateBus {
public:
    PrivateBus() {
        const QString config = m_folder.filePath("bus.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(QString(kBusConfig).arg(m_folder.path()).toUtf8()) < 0)
            return;
        file.close();
        const std::string command = std::string(TV_DBUS_DAEMON) +
                                    " --config-file=" + config.toStdString() +
                                    " --fork --print-address=1 --print-pid=1";
        std::FILE* started = ::popen(command.c_str(), "r");
        if (started == nullptr)
            return;
        char address[512] = {};
        char pid[32] = {};
        const bool read = std::fgets(address, sizeof(address), started) != nullptr &&
                          std::fgets(pid, sizeof(pid), started) != nullptr;
        ::pclose(started);
        if (!read)
            return;
        std::string line(address);
        line.erase(line.find_last_not_of('\n') + 1);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", line.c_str(), 1);
        m_pid = std::atoi(pid);
    }
    ~PrivateBus() {
        if (m_pid > 0)
            ::kill(m_pid, SIGTERM);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool IsRunning() const { return m_pid > 0; }

private:
    QTemporaryDir m_folder;
    int m_pid = 0;
};

} // namespace

int main(int argc, char** argv) {
    const PrivateHome home;
    if (!home.IsValid())
        return 1;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("TZ", "America/New_York", 0);
    const PrivateBus bus;
    if (!bus.IsRunning()) {
        std::fputs("Could not start a private dbus-daemon\n", stderr);
        return 1;
    }

    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName("Brisklane");
    QCoreApplication::setApplicationName("TvDesk");
    MessageBox::setTestMode(true);
    FileDialog::setTestMode(true);
    ModalDialog::setTestMode(true);

    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
