#include "NotificationServer.h"

#include <QDBusMessage>

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";

} // namespace

NotificationServer::NotificationServer()
    : m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "notifications")) {
    m_connection.registerObject(kPath, this, QDBusConnection::ExportAllSlots);
}

NotificationServer::~NotificationServer() {
    Unregister();
    m_connection.unregisterObject(kPath);
    QDBusConnection::disconnectFromBus("notifications");
}

bool NotificationServer::Register() {
    return m_connection.isConnected() && m_connection.registerService(kService);
}

void NotificationServer::Unregister() {
    m_connection.unregisterService(kService);
}

void NotificationServer::ChooseDefaultAction(uint id) {
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kService, "ActionInvoked");
    signal << id << QStringLiteral("default");
    m_connection.send(signal);
}

uint NotificationServer::Notify(const QString&, uint replacesId, const QString&,
                                const QString& summary, const QString& body,
                                const QStringList& actions, const QVariantMap&, int) {
    const uint id = replacesId != 0 ? replacesId : m_nextId++;
    shown.push_back({id, summary, body, actions});
    return id;
}
