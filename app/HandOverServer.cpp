#include "HandOverServer.h"

#include "HandOverProtocol.h"
#include "InstanceLock.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool IsKnownMessage(std::uint32_t message) {
    return message == HandOver::kHotSyncMessage || message == HandOver::kActivateMessage;
}

bool BindTo(int fd, const std::string& path) {
    const std::optional<sockaddr_un> address = HandOver::SocketAddress(path);
    if (!address) {
        errno = ENAMETOOLONG;
        return false;
    }
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) == 0;
}

} // namespace

// One accepted client: its socket, the deadline for its frame, and the bytes
// of the frame received so far. It closes its socket when destroyed.
class HandOverServer::Connection : public QObject {
public:
    enum class Frame { Partial, Complete, Bad };

    Connection(int fd, QObject* parent)
        : QObject(parent), m_fd(fd), m_notifier(fd, QSocketNotifier::Read, this) {
        // A client that connects and sends nothing is cut off, never waited for.
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, &Connection::Drop);
        m_deadline.start(kFrameTimeoutMs);
    }
    ~Connection() override {
        m_notifier.setEnabled(false);
        ::close(m_fd);
    }

    QSocketNotifier& Notifier() { return m_notifier; }
    // Takes what the client sent. The bytes are read, never left waiting:
    // the notifier would otherwise fire again at once. A client that closes
    // its end or sends more than one frame is Bad; a whole frame stops the
    // deadline, since handling it may take as long as it needs.
    Frame Receive() {
        const ssize_t got = ::recv(m_fd, m_frame + m_have, sizeof(m_frame) - m_have, MSG_DONTWAIT);
        if (got < 0)
            return errno == EAGAIN || errno == EINTR ? Frame::Partial : Frame::Bad;
        if (got == 0)
            return Frame::Bad;
        m_have += static_cast<std::size_t>(got);
        if (m_have < sizeof(m_frame))
            return Frame::Partial;
        char extra = 0;
        if (::recv(m_fd, &extra, 1, MSG_PEEK | MSG_DONTWAIT) > 0)
            return Frame::Bad;
        m_notifier.setEnabled(false);
        m_deadline.stop();
        return Frame::Complete;
    }
    const unsigned char* Bytes() const { return m_frame; }
    // Sends the reply and closes; a client gone meanwhile gets nothing.
    void Answer(const unsigned char* reply, std::size_t size) {
        (void)::send(m_fd, reply, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        Drop();
    }
    void Drop() {
        m_notifier.setEnabled(false);
        m_deadline.stop();
        ::shutdown(m_fd, SHUT_RDWR);
        deleteLater();
    }

private:
    int m_fd;
    QSocketNotifier m_notifier;
    QTimer m_deadline;
    unsigned char m_frame[HandOver::kFrameSize] = {};
    std::size_t m_have = 0;
};

HandOverServer::HandOverServer(Handler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)) {}

HandOverServer::~HandOverServer() {
    Close();
}

bool HandOverServer::Fail(const char* step) {
    m_error = QString("%1: %2").arg(step, QString::fromLocal8Bit(std::strerror(errno)));
    if (m_listener >= 0)
        ::close(m_listener);
    m_listener = -1;
    return false;
}

bool HandOverServer::Listen(const QString& path, const InstanceLock& lock) {
    if (!lock.IsHeld())
        return false;
    Close();
    m_error.clear();
    const std::string target = path.toLocal8Bit().toStdString();
    if (!HandOver::FitsSocketAddress(target)) {
        errno = ENAMETOOLONG;
        return Fail("bind");
    }
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listener < 0)
        return Fail("socket");
    // The socket is made owner-only in a private folder beside the target
    // and then moved into place, so that no other user can ever connect. The
    // folder's name is short, so that the socket's path there is no longer
    // than the target's: ".XXXXXX/s" is shorter than the program's socket name.
    const std::size_t slash = target.rfind('/');
    std::string folder =
        (slash == std::string::npos ? std::string(".") : target.substr(0, slash)) + "/.XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr)
        return Fail("mkdtemp");
    const std::string made = folder + "/s";
    const bool bound = BindTo(m_listener, made) && ::chmod(made.c_str(), 0600) == 0;
    // No other copy listens while this one holds the lock: whatever is at
    // the path is stale.
    const bool placed = bound && ::rename(made.c_str(), target.c_str()) == 0;
    const int error = errno;
    ::unlink(made.c_str());
    ::rmdir(folder.c_str());
    errno = error;
    if (!placed)
        return Fail(bound ? "rename" : "bind");
    if (::listen(m_listener, 50) != 0) {
        ::unlink(target.c_str());
        return Fail("listen");
    }
    m_path = path;
    m_notifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &HandOverServer::OnNewConnection);
    return true;
}

void HandOverServer::Close() {
    if (m_listener < 0)
        return;
    delete m_notifier;
    m_notifier = nullptr;
    ::close(m_listener);
    m_listener = -1;
    ::unlink(m_path.toLocal8Bit().constData());
    m_path.clear();
}

QString HandOverServer::ErrorString() const {
    return m_error;
}

bool HandOverServer::IsListening() const {
    return m_listener >= 0;
}

void HandOverServer::OnNewConnection() {
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            // Out of descriptors, the waiting client stays waiting: listening
            // pauses a little rather than waking for it again at once.
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                m_notifier->setEnabled(false);
                QTimer::singleShot(100, m_notifier,
                                   [notifier = m_notifier] { notifier->setEnabled(true); });
            }
            return;
        }
        if (!HandOver::PeerIsThisUser(fd)) {
            ::close(fd);
            continue;
        }
        auto* connection = new Connection(fd, this);
        connect(&connection->Notifier(), &QSocketNotifier::activated, this,
                [this, connection] { OnReadyRead(connection); });
    }
}

void HandOverServer::OnReadyRead(Connection* connection) {
    switch (connection->Receive()) {
    case Connection::Frame::Partial:
        return;
    case Connection::Frame::Bad:
        connection->Drop();
        return;
    case Connection::Frame::Complete:
        Handle(connection);
        return;
    }
}

void HandOverServer::Handle(Connection* connection) {
    if (m_busy) {
        // A request is being handled in a nested event loop (a message box);
        // this one waits its turn.
        QTimer::singleShot(50, connection, [this, connection] { Handle(connection); });
        return;
    }
    const unsigned char* frame = connection->Bytes();
    const std::uint32_t message = HandOver::GetU32(frame);
    if (!IsKnownMessage(message)) {
        connection->Drop();
        return;
    }
    m_busy = true;
    const std::optional<std::uint32_t> answer =
        m_handler(message, HandOver::GetU32(frame + 4), HandOver::GetU32(frame + 8));
    m_busy = false;
    if (!answer) {
        connection->Drop();
        return;
    }
    unsigned char reply[HandOver::kReplySize];
    HandOver::PutU32(reply, *answer);
    connection->Answer(reply, sizeof(reply));
}
