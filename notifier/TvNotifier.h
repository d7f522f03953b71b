#pragma once

#include <cstdint>

// The notifier library that HotSync loads and calls around every
// synchronisation. It passes each event on to the running desktop program.

extern "C" {

// Forwards a HotSync event to the desktop program; see TvNotifier.cpp for the
// event-to-request mapping. Returns 1 when no program answers.
__attribute__((visibility("default"))) std::int32_t HS_Notify(std::int32_t event,
                                                              std::int32_t data);

// Announces itself on standard error (there is no window toolkit to show a
// message box with) and returns 0.
__attribute__((visibility("default"))) std::int32_t GetNotifierVersion(void);
}
