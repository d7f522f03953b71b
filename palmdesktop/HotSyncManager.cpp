// tvhotsync: runs one synchronisation as Palm's HotSync Manager would. Every
// notifier library registered with HotSync Manager is loaded and told that a
// synchronisation starts (event 1); then the conduit step given on the
// command line runs (any command, standing in for the conduit that rewrites
// the data file); then the notifiers are told that it ended (event 2).

#include "PalmDesktopSettings.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <dlfcn.h>
#include <vector>

namespace {

using NotifyFunction = std::int32_t (*)(std::int32_t event, std::int32_t data);

constexpr std::int32_t kEventBefore = 1;
constexpr std::int32_t kEventAfter = 2;

struct Notifier {
    QString path;
    void* library;
    NotifyFunction notify;
};

std::vector<Notifier> LoadNotifiers() {
    std::vector<Notifier> notifiers;
    for (const QString& path : PalmDesktopSettings::Notifiers()) {
        void* library = ::dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            std::fprintf(stderr, "tvhotsync: cannot load notifier %s: %s\n",
                         path.toLocal8Bit().constData(), ::dlerror());
            continue;
        }
        auto notify = reinterpret_cast<NotifyFunction>(::dlsym(library, "HS_Notify"));
        if (notify == nullptr) {
            std::fprintf(stderr, "tvhotsync: %s has no HS_Notify\n",
                         path.toLocal8Bit().constData());
            ::dlclose(library);
            continue;
        }
        notifiers.push_back({path, library, notify});
    }
    return notifiers;
}

void NotifyAll(const std::vector<Notifier>& notifiers, std::int32_t event) {
    for (const Notifier& notifier : notifiers) {
        const std::int32_t result = notifier.notify(event, 0);
        std::printf("HS_Notify(%d) of %s: %d\n", event, notifier.path.toLocal8Bit().constData(),
                    result);
    }
    std::fflush(stdout);
}

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

    const std::vector<Notifier> notifiers = LoadNotifiers();
    NotifyAll(notifiers, kEventBefore);

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

    NotifyAll(notifiers, kEventAfter);
    for (const Notifier& notifier : notifiers)
        ::dlclose(notifier.library);
    return status;
}
