#include "TvNotifier.h"

#include "HandOverProtocol.h"

#include <cstdio>
#include <optional>

namespace {

// The probe only asks who is listening; anything slow there is not our program.
constexpr int kProbeTimeoutSeconds = 5;
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

extern "C" std::int32_t GetNotifierVersion(void) {
    std::fputs("GetNotifierVersion\n", stderr);
    return 0;
}
