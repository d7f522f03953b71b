#pragma once

#include <cstdint>

// The notifier library that HotSync loads and calls around every
// synchronisation. It passes each event on to the running desktop program.

extern "C" {

// Forwards a HotSync event to the desktop program; see TvNotifier.cpp for the
// event-to-request mapping. Returns 1 when no program answers.
__attribute__((visibility("default"))) std::int32_t HS_Notify(std::int32_t event,
                                                              std::int32_t data);

// Shows "GetNotifierVersion" in a message box of the desktop's dialog
// program and returns 0 once it is closed; without a display the text goes
// to standard error.
__attribute__((visibility("default"))) std::int32_t GetNotifierVersion(void);
}
