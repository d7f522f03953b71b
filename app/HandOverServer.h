#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class InstanceLock;
class QSocketNotifier;

// The program's end of the hand-over socket. Each connection carries one
// 12-byte request; the handler runs on the GUI thread and its result goes
// back before the connection closes. Connections of another user, frames
// that are short, long or of an unknown message, and clients that send
// nothing in time are dropped without effect. A plain Unix socket watched by
// the event loop, so that the program needs no network library to start.
class HandOverServer : public QObject {
    Q_OBJECT
public:
    // Returns the answer, or nothing to drop the request.
    using Handler = std::function<std::optional<std::uint32_t>(
        std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam)>;

    static constexpr int kFrameTimeoutMs = 2000;

    explicit HandOverServer(Handler handler, QObject* parent = nullptr);
    ~HandOverServer() override;

    // Listens at path (owner-only), for the running copy only: false unless
    // lock is held. The holder is the only copy that ever creates or removes
    // the socket, so a file found there was left by a copy that is gone and
    // is replaced. The lock must stay held until Close().
    bool Listen(const QString& path, const InstanceLock& lock);
    // Stops listening and removes the socket.
    void Close();
    bool IsListening() const;
    // Why the last Listen failed.
    QString ErrorString() const;

private:
    class Connection;

    void OnNewConnection();
    void OnReadyRead(Connection* connection);
    void Handle(Connection* connection);
    bool Fail(const char* step);

    Handler m_handler;
    int m_listener = -1;
    QSocketNotifier* m_notifier = nullptr;
    QString m_path;
    QString m_error;
    bool m_busy = false;
};
