#include "NotifierSet.h"

#include "PalmDesktopSettings.h"

#include <algorithm>

NotifierSet::NotifierSet(std::FILE* problems) : m_problems(problems) {
    Load();
}

void NotifierSet::Load() {
    m_restartRequests = PalmDesktopSettings::RestartRequests();
    std::vector<Notifier> loaded;
    for (const QString& path : PalmDesktopSettings::Notifiers()) {
        // A library that stays registered is kept as it is, not loaded again.
        const auto kept =
            std::find_if(m_notifiers.begin(), m_notifiers.end(), [&](const Notifier& notifier) {
                return notifier.path == path && notifier.library;
            });
        if (kept != m_notifiers.end()) {
            loaded.push_back(std::move(*kept));
            continue;
        }
        std::string error;
        auto library = SharedLibrary::Open(path.toStdString(), &error);
        if (library == nullptr) {
            std::fprintf(m_problems, "tvhotsync: cannot load notifier %s: %s\n",
                         path.toLocal8Bit().constData(), error.c_str());
            continue;
        }
        auto notify = reinterpret_cast<NotifyFunction>(library->Symbol("HS_Notify"));
        if (notify == nullptr) {
            std::fprintf(m_problems, "tvhotsync: %s has no HS_Notify\n",
                         path.toLocal8Bit().constData());
            continue;
        }
        loaded.push_back({path, std::move(library), notify});
    }
    // What is left of the old set is no longer registered and is closed here.
    m_notifiers = std::move(loaded);
}

void NotifierSet::TakeUpChanges() {
    if (PalmDesktopSettings::RestartRequests() != m_restartRequests)
        Load();
}

void NotifierSet::NotifyAll(std::int32_t event, std::FILE* out) const {
    for (const Notifier& notifier : m_notifiers) {
        const std::int32_t result = notifier.notify(event, 0);
        std::fprintf(out, "HS_Notify(%d) of %s: %d\n", event,
                     notifier.path.toLocal8Bit().constData(), result);
    }
    std::fflush(out);
}

QStringList NotifierSet::Libraries() const {
    QStringList libraries;
    for (const Notifier& notifier : m_notifiers)
        libraries.append(notifier.path);
    return libraries;
}
