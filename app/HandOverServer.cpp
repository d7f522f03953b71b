#include "HandOverServer.h"

#include "HandOverProtocol.h"
#include "InstanceLock.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QVariant>

namespace {

bool IsKnownMessage(std::uint32_t message) {
    return message == HandOver::kHotSyncMessage || message == HandOver::kActivateMessage;
}

} // namespace

HandOverServer::HandOverServer(Handler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)), m_server(new QLocalServer(this)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &HandOverServer::OnNewConnection);
}

HandOverServer::~HandOverServer() {
    Close();
}

bool HandOverServer::Listen(const QString& path, const InstanceLock& lock) {
    if (!lock.IsHeld())
        return false;
    // No other copy listens while this one holds the lock: whatever is at
    // the path is stale.
    QLocalServer::removeServer(path);
    return m_server->listen(path);
}

void HandOverServer::Close() {
    if (m_server->isListening())
        m_server->close();
}

QString HandOverServer::ErrorString() const {
    return m_server->errorString();
}

bool HandOverServer::IsListening() const {
    return m_server->isListening();
}

void HandOverServer::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!HandOver::PeerIsThisUser(static_cast<int>(socket->socketDescriptor()))) {
            socket->abort();
            continue;
        }
        // A client that connects and sends nothing is cut off, never waited for.
        auto* deadline = new QTimer(socket);
        deadline->setObjectName("deadline");
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, socket, [socket] { socket->abort(); });
        deadline->start(kFrameTimeoutMs);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
    }
}

void HandOverServer::OnReadyRead(QLocalSocket* socket) {
    if (socket->property("handled").toBool())
        return;
    if (socket->bytesAvailable() < static_cast<qint64>(HandOver::kFrameSize))
        return;
    if (socket->bytesAvailable() > static_cast<qint64>(HandOver::kFrameSize)) {
        socket->abort();
        return;
    }
    if (m_busy) {
        // A request is being handled in a nested event loop (a message box);
        // this one waits its turn.
        QTimer::singleShot(50, socket, [this, socket] { OnReadyRead(socket); });
        return;
    }
    unsigned char frame[HandOver::kFrameSize];
    socket->read(reinterpret_cast<char*>(frame), sizeof(frame));
    socket->setProperty("handled", true);
    // The frame is complete: handling may take as long as it needs.
    if (auto* deadline = socket->findChild<QTimer*>("deadline"))
        deadline->stop();
    const std::uint32_t message = HandOver::GetU32(frame);
    if (!IsKnownMessage(message)) {
        socket->abort();
        return;
    }
    m_busy = true;
    const std::optional<std::uint32_t> answer =
        m_handler(message, HandOver::GetU32(frame + 4), HandOver::GetU32(frame + 8));
    m_busy = false;
    if (!answer || socket->state() != QLocalSocket::ConnectedState) {
        socket->abort();
        return;
    }
    unsigned char reply[HandOver::kReplySize];
    HandOver::PutU32(reply, *answer);
    socket->write(reinterpret_cast<const char*>(reply), sizeof(reply));
    socket->flush();
    socket->disconnectFromServer();
}
