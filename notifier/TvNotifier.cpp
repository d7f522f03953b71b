#include "TvNotifier.h"

#include "HandOverProtocol.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>

namespace {

// The probe is answered once the program is free, which may be after a save
// of a large file it was busy with: ten times the 1.6 s of a save of a
// million trips (tvtool resave of bench/open_save.sh's file).
constexpr int kProbeTimeoutSeconds = 16;
// A save or reload of a large file takes a while; HotSync waits for it.
constexpr int kRequestTimeoutSeconds = 300;

// Every request to the program is a HotSync request.
std::optional<std::uint32_t> SendRequest(std::uint32_t request, std::uint32_t data,
                                         int timeoutSeconds) {
    return HandOver::SendRequest(HandOver::kHotSyncMessage, request, data, timeoutSeconds);
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

extern "C" char** environ;

namespace {

// Shows the text in a message box of the desktop's dialog program (zenity,
// kdialog or xmessage, the first found) and waits until it is closed. False
// when there is no display or none of them runs.
bool ShowMessageBox(const char* text) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
        return false;
    const char* const zenity[] = {"zenity", "--info", "--text", text, nullptr};
    const char* const kdialog[] = {"kdialog", "--msgbox", text, nullptr};
    const char* const xmessage[] = {"xmessage", "-center", "-buttons", "OK", text, nullptr};
    for (const char* const* argv : {zenity, kdialog, xmessage}) {
        pid_t child = 0;
        if (::posix_spawnp(&child, argv[0], nullptr, nullptr, const_cast<char* const*>(argv),
                           environ) != 0)
            continue;
        int status = 0;
        pid_t waited = 0;
        do
            waited = ::waitpid(child, &status, 0);
        while (waited < 0 && errno == EINTR);
        // 127: a program that was found but could not start.
        if (waited < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 127)
            return true;
    }
    return false;
}

} // namespace

extern "C" std::int32_t GetNotifierVersion(void) {
    constexpr const char* kText = "GetNotifierVersion";
    // Without a display (HotSync run from a terminal) the text goes there.
    if (!ShowMessageBox(kText))
        std::fprintf(stderr, "%s\n", kText);
    return 0;
}
