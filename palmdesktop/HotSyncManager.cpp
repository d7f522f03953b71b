// tvhotsync: runs one synchronisation as Palm's HotSync Manager would. Every
// notifier library registered with HotSync Manager is loaded and told that a
// synchronisation starts (event 1); then the conduit step given on the
// command line runs (any command, standing in for the conduit that rewrites
// the data file); then the notifiers are told that it ended (event 2). When
// a program asked HotSync Manager to restart in the meantime (an installer or
// uninstaller changed the registrations), the registered notifiers are
// loaded again before that.

#include "NotifierSet.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <cstdint>
#include <cstdio>

namespace {

constexpr std::int32_t kEventBefore = 1;
constexpr std::int32_t kEventAfter = 2;

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!arguments.isEmpty() && arguments.first() == "--")
        arguments.removeFirst();
    if (arguments.isEmpty() || arguments.first() == "--help" || arguments.first() == "-h") {
        std::fputs("usage: tvhotsync [--] CONDUIT-COMMAND [ARGS...]\n"
                   "Tells the registered notifiers that a HotSync starts, runs the conduit\n"
                   "command, then tells them that it ended. Exit status: the conduit's.\n",
                   arguments.isEmpty() ? stderr : stdout);
        return arguments.isEmpty() ? 2 : 0;
    }

    NotifierSet notifiers(stderr);
    notifiers.NotifyAll(kEventBefore, stdout);

    QProcess conduit;
    conduit.setProcessChannelMode(QProcess::ForwardedChannels);
    conduit.start(arguments.first(), arguments.mid(1));
    int status = 1;
    if (!conduit.waitForStarted(-1)) {
        std::fprintf(stderr, "tvhotsync: cannot start %s\n",
                     arguments.first().toLocal8Bit().constData());
    } else {
        conduit.waitForFinished(-1);
        status = conduit.exitStatus() == QProcess::NormalExit ? conduit.exitCode() : 1;
    }

    notifiers.TakeUpChanges();
    notifiers.NotifyAll(kEventAfter, stdout);
    return status;
}
