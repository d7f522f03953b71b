#pragma once

#include "MTime.h"

#include <cstdint>

// The filter pane's range of whole days, both ends included, converted once
// for a whole list; with all dates shown every date passes.
class DateRange {
public:
    DateRange(bool allDates, const MTime& from, const MTime& to)
        : m_allDates(allDates), m_from(from.AsSeconds()), m_to(to.AsSeconds()) {}

    // A date or a range end the calendar cannot place lets nothing through.
    bool Contains(const MTime& date) const {
        if (m_allDates)
            return true;
        const std::int64_t seconds = date.AsSeconds();
        return seconds >= 0 && m_from >= 0 && m_to >= 0 && seconds >= m_from && seconds <= m_to;
    }

private:
    bool m_allDates;
    std::int64_t m_from;
    std::int64_t m_to;
};
