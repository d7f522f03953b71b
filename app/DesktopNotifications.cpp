#include "DesktopNotifications.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

namespace {

constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr int kReplyTimeoutMs = 5000;

} // namespace

DesktopNotifications::DesktopNotifications(QObject* parent) : QObject(parent) {}

void DesktopNotifications::Show(const QString& summary, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        // Told from the event loop, as a reply of the service would be.
        QTimer::singleShot(0, this, &DesktopNotifications::failed);
        return;
    }
    if (!m_listening)
        m_listening = bus.connect(kService, kPath, kInterface, "ActionInvoked", this,
                                  SLOT(OnActionInvoked(uint, QString)));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
    call << QStringLiteral("Tarvenly Desktop") << m_id << QStringLiteral("tvdesk") << summary
         << body << QStringList{QStringLiteral("default"), QStringLiteral("Show")}
         << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("tvdesk")}} << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kReplyTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<uint> reply = *finished;
                finished->deleteLater();
                if (reply.isError()) {
                    m_id = 0;
                    emit failed();
                    return;
                }
                m_id = reply.value();
            });
}

void DesktopNotifications::OnActionInvoked(uint id, const QString& action) {
    if (id != 0 && id == m_id && action == QLatin1String("default"))
        emit activated();
}
