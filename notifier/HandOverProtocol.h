#pragma once

// The hand-over between HotSync's notifier and the running desktop program: a
// local stream socket owned by the user, one request per connection. The
// client writes three little-endian 32-bit values (message, wParam, lParam);
// the program handles the request on its user-interface thread and answers
// with one little-endian 32-bit result, then closes.
//
// Header only, so that the notifier library shares it without linking
// anything of the program.

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace HandOver {

// The class name of the program's main window, which names the socket.
constexpr const char* kWindowClassName = "TarvenlyDesktop";

// The HotSync message and its requests.
constexpr std::uint32_t kHotSyncMessage = 5120;
enum Request : std::uint32_t {
    Probe = 0,       // answered with kHotSyncMessage
    Save = 1,        // save the open data file
    Reload = 2,      // drop the data and read the file again
    Ignored3 = 3,    // no action
    Ignored4 = 4,    // no action
    RefillUsers = 5, // refill the Palm user selector
};

// Our own message: a second copy asks the running one to come to the front.
// wParam is kOtherFileAsked when the second copy was started on another data
// file than the running one has open.
constexpr std::uint32_t kActivateMessage = 0x7F01;
constexpr std::uint32_t kOtherFileAsked = 1;

constexpr std::size_t kFrameSize = 12;
constexpr std::size_t kReplySize = 4;

// $XDG_RUNTIME_DIR/TarvenlyDesktop, or /tmp/TarvenlyDesktop-<uid> without one.
inline std::string SocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/')
        return std::string(runtime) + "/" + kWindowClassName;
    return std::string("/tmp/") + kWindowClassName + "-" + std::to_string(::getuid());
}

inline void PutU32(unsigned char* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

inline std::uint32_t GetU32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

// Only a process of the same user may take part in the hand-over.
inline bool PeerIsThisUser(int fd) {
    ucred credentials{};
    socklen_t size = sizeof(credentials);
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           credentials.uid == ::getuid();
}

// Whether a socket can be bound at path: sockaddr_un holds a short path only.
inline bool FitsSocketAddress(const std::string& path) {
    return path.size() < sizeof(sockaddr_un::sun_path);
}

// The address of the socket at path; none when the path does not fit.
inline std::optional<sockaddr_un> SocketAddress(const std::string& path) {
    if (!FitsSocketAddress(path))
        return std::nullopt;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

// One request to the program listening at path (SocketPath() unless told),
// one connection: nothing when no program of this user answers within the
// time.
inline std::optional<std::uint32_t> SendRequest(std::uint32_t message, std::uint32_t wParam,
                                                std::uint32_t lParam, int timeoutSeconds,
                                                const std::string& path = SocketPath()) {
    const std::optional<sockaddr_un> address = SocketAddress(path);
    if (!address)
        return std::nullopt;

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    timeval timeout{};
    timeout.tv_sec = timeoutSeconds;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));

    // Moves all of a buffer through send or recv, whichever is given.
    const auto transfer = [fd](auto call, unsigned char* bytes, std::size_t size) {
        while (size > 0) {
            const ssize_t done = call(fd, bytes, size);
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0)
                return false;
            bytes += done;
            size -= static_cast<std::size_t>(done);
        }
        return true;
    };
    const auto sendSome = [](int socket, unsigned char* bytes, std::size_t size) {
        return ::send(socket, bytes, size, MSG_NOSIGNAL);
    };
    const auto receiveSome = [](int socket, unsigned char* bytes, std::size_t size) {
        return ::recv(socket, bytes, size, 0);
    };

    unsigned char frame[kFrameSize];
    PutU32(frame, message);
    PutU32(frame + 4, wParam);
    PutU32(frame + 8, lParam);
    unsigned char reply[kReplySize];
    const bool answered =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) == 0 &&
        PeerIsThisUser(fd) && transfer(sendSome, frame, sizeof(frame)) &&
        transfer(receiveSome, reply, sizeof(reply));
    ::close(fd);
    if (!answered)
        return std::nullopt;
    return GetU32(reply);
}

} // namespace HandOver
