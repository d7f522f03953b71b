#include "TvNotifier.h"

#include "HandOverProtocol.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The probe only asks who is listening; anything slow there is not our program.
constexpr int kProbeTimeoutSeconds = 5;
// A save or reload of a large file takes a while; HotSync waits for it.
constexpr int kRequestTimeoutSeconds = 300;

class Connection {
public:
    explicit Connection(int timeoutSeconds) {
        const std::string path = HandOver::SocketPath();
        sockaddr_un address{};
        if (path.size() >= sizeof(address.sun_path))
            return;
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_fd < 0)
            return;
        timeval timeout{};
        timeout.tv_sec = timeoutSeconds;
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
        ::setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            !PeerIsThisUser())
            Close();
    }
    ~Connection() { Close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    std::optional<std::uint32_t> Send(std::uint32_t request, std::uint32_t data) {
        if (m_fd < 0)
            return std::nullopt;
        unsigned char frame[HandOver::kFrameSize];
        HandOver::PutU32(frame, HandOver::kHotSyncMessage);
        HandOver::PutU32(frame + 4, request);
        HandOver::PutU32(frame + 8, data);
        if (!SendAll(frame, sizeof(frame)))
            return std::nullopt;
        unsigned char reply[HandOver::kReplySize];
        if (!ReceiveAll(reply, sizeof(reply)))
            return std::nullopt;
        return HandOver::GetU32(reply);
    }

private:
    // Only a program of the same user is told anything.
    bool PeerIsThisUser() const {
        ucred credentials{};
        socklen_t size = sizeof(credentials);
        return ::getsockopt(m_fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
               credentials.uid == ::getuid();
    }

    bool SendAll(const unsigned char* bytes, std::size_t size) {
        while (size > 0) {
            const ssize_t sent = ::send(m_fd, bytes, size, MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent <= 0)
                return false;
            bytes += sent;
            size -= static_cast<std::size_t>(sent);
        }
        return true;
    }

    bool ReceiveAll(unsigned char* bytes, std::size_t size) {
        while (size > 0) {
            const ssize_t got = ::recv(m_fd, bytes, size, 0);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            bytes += got;
            size -= static_cast<std::size_t>(got);
        }
        return true;
    }

    void Close() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    int m_fd = -1;
};

// One request per connection, as the program expects.
std::optional<std::uint32_t> SendRequest(std::uint32_t request, std::uint32_t data,
                                         int timeoutSeconds) {
    Connection connection(timeoutSeconds);
    return connection.Send(request, data);
}

} // namespace

extern "C" std::int32_t HS_Notify(std::int32_t event, std::int32_t data) {
    const auto probe = SendRequest(HandOver::Probe, 0, kProbeTimeoutSeconds);
    if (!probe || *probe != HandOver::kHotSyncMessage)
        return 1;

    const auto value = static_cast<std::uint32_t>(data);
    switch (event) {
    case 0: {
        const auto answer = SendRequest(HandOver::Ignored4, 0, kRequestTimeoutSeconds);
        return answer && *answer == 0 ? 1 : 0;
    }
    case 1: {
        const auto answer = SendRequest(HandOver::Save, value, kRequestTimeoutSeconds);
        return answer && *answer == 0 ? 1 : 0;
    }
    case 2:
        SendRequest(HandOver::Reload, value, kRequestTimeoutSeconds);
        return 1;
    case 3:
        SendRequest(HandOver::Ignored3, value, kRequestTimeoutSeconds);
        return 1;
    case 4:
        SendRequest(HandOver::RefillUsers, value, kRequestTimeoutSeconds);
        return 1;
    default:
        return 1;
    }
}

extern "C" std::int32_t GetNotifierVersion(void) {
    std::fputs("GetNotifierVersion\n", stderr);
    return 0;
}
