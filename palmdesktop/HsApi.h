#pragma once

// The HotSync API of Palm Desktop, libHsapi.so in the Palm Desktop folder:
// what installers and uninstallers call to have HotSync Manager take up
// changed registrations.

#include <cstdint>

namespace HsStatus {
// Restart HotSync Manager, so that it loads the notifiers registered now.
constexpr std::int32_t Restart = 2;
} // namespace HsStatus

namespace HsError {
constexpr std::int32_t UnknownStatus = -1;
} // namespace HsError

extern "C" {

// Restart (HsStatus::Restart, flags 0) records the request in Palm Desktop's
// settings: the HotSync Manager stand-in runs once per HotSync and loads the
// registered notifiers when it starts, and one that is running when the
// request comes loads them again before it tells them the HotSync ended.
// Closing and starting HotSync Manager (statuses 0 and 1) mean nothing here,
// as it only runs during a HotSync: UnknownStatus, like any other status.
std::int32_t HsSetAppStatus(std::int32_t status, std::uint32_t flags);

using HsSetAppStatusFunction = std::int32_t (*)(std::int32_t, std::uint32_t);
}
