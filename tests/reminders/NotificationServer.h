#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <vector>

// Plays the desktop's notification service on the test bus through a
// connection of its own: it keeps every notification it is asked to show and
// can report the default action chosen.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Shown {
        uint id;
        QString summary;
        QString body;
        QStringList actions;
    };

    NotificationServer();
    ~NotificationServer() override;

    // Takes and gives up the service's name on the bus.
    bool Register();
    void Unregister();
    // As the service does when the user clicks the notification.
    void ChooseDefaultAction(uint id);

    std::vector<Shown> shown;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int expireTimeout);

private:
    QDBusConnection m_connection;
    uint m_nextId = 1;
};
