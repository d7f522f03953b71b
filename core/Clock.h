#pragma once

#include "MTime.h"

#include <optional>

// The one place the due-status rules and the proposals read the current
// time. Tests and `tvtool --now` fix it; otherwise it is the real local time.
namespace Clock {

// The fixed moment when one is set, else the local time of the system.
MTime Now();
// Fixes the current time (none: the real time again).
void Fix(std::optional<MTime> moment);

// Fixes the current time for the life of the object, then restores the
// previous setting.
class ScopedFix {
public:
    explicit ScopedFix(const MTime& moment);
    ~ScopedFix();
    ScopedFix(const ScopedFix&) = delete;
    ScopedFix& operator=(const ScopedFix&) = delete;

private:
    std::optional<MTime> m_previous;
};

} // namespace Clock
