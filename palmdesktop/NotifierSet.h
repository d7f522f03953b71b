#pragma once

#include "PalmLibraries.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

// The notifier libraries HotSync Manager has loaded: those registered when
// it started, brought up to date when a program asked it to restart
// (HsSetAppStatus) while it runs.
class NotifierSet {
public:
    // Loads every registered notifier; one that cannot be loaded or has no
    // HS_Notify is reported to problems and left out.
    explicit NotifierSet(std::FILE* problems);

    // When a restart was asked for since the notifiers were loaded: lets go
    // of the libraries no longer registered and loads the newly registered
    // ones. Otherwise nothing changes.
    void TakeUpChanges();

    // Calls HS_Notify(event, 0) of every loaded notifier, in the order of
    // their registrations, and reports each result to out.
    void NotifyAll(std::int32_t event, std::FILE* out) const;

    // The loaded libraries, in the order they are called.
    QStringList Libraries() const;

private:
    using NotifyFunction = std::int32_t (*)(std::int32_t event, std::int32_t data);
    struct Notifier {
        QString path;
        std::unique_ptr<SharedLibrary> library;
        NotifyFunction notify = nullptr;
    };

    void Load();

    std::FILE* m_problems;
    int m_restartRequests = 0;
    std::vector<Notifier> m_notifiers;
};
