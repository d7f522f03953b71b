#pragma once

// The hand-over between HotSync's notifier and the running desktop program: a
// local stream socket owned by the user, one request per connection. The
// client writes three little-endian 32-bit values (message, wParam, lParam);
// the program handles the request on its user-interface thread and answers
// with one little-endian 32-bit result, then closes.
//
// Header only, so that the notifier library shares it without linking
// anything of the program.

#include <cstdint>
#include <cstdlib>
#include <string>
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
constexpr std::uint32_t kActivateMessage = 0x7F01;

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

} // namespace HandOver
