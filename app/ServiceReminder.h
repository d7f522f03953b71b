#pragma once

#include "DesktopNotifications.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <string>

class CTvDeskApp;

// Tells the user of service that is past due or due soon, without being
// asked: at start and after each HotSync reload, one desktop notification
// ("3 services past due, 1 due soon" and the first entries) whose default
// action brings the window up on the Service Log of the first vehicle
// concerned. Without a notification service the same text goes to the
// status bar. The same set of entries is announced once, until it changes.
class CServiceReminder : public QObject {
    Q_OBJECT
public:
    // The most entries a notification names.
    static constexpr int kEntriesShown = 3;

    explicit CServiceReminder(CTvDeskApp& app, QObject* parent = nullptr);

    // Looks at the open data and announces what is due, when that is new.
    void Check();

private:
    void ShowInStatusBar();
    void ShowServiceLog();

    CTvDeskApp& m_app;
    DesktopNotifications m_notifications;
    // What was last announced, so that it is not announced again.
    std::string m_announcedKey;
    QString m_summary;
    QString m_body;
    std::uint32_t m_firstVehicleId = 0;
};
