// libHsapi.so: the HotSync API over Palm Desktop's settings.

#include "HsApi.h"

#include "PalmDesktopSettings.h"

extern "C" __attribute__((visibility("default"))) std::int32_t
HsSetAppStatus(std::int32_t status, std::uint32_t /*flags*/) {
    if (status != HsStatus::Restart)
        return HsError::UnknownStatus;
    PalmDesktopSettings::RequestRestart();
    return 0;
}
