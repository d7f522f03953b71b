#pragma once

#include <QObject>
#include <QString>

// Desktop notifications through the freedesktop Notifications service on the
// session bus. A notification replaces the one this object showed before.
// Without a session bus or without the service, failed() is emitted and the
// caller shows its text another way; nothing waits for the bus.
class DesktopNotifications : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kService = "org.freedesktop.Notifications";
    static constexpr const char* kPath = "/org/freedesktop/Notifications";

    explicit DesktopNotifications(QObject* parent = nullptr);

    // Asks the service to show the notification, with a default action.
    void Show(const QString& summary, const QString& body);

signals:
    // The notification could not be shown.
    void failed();
    // The user chose the notification (its default action).
    void activated();

private slots:
    void OnActionInvoked(uint id, const QString& action);

private:
    bool m_listening = false;
    uint m_id = 0;
};
