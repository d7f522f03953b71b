#include "LocalTimeZone.h"

#include <array>
#include <atomic>
#include <cstdlib>

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Day numbers (days since 1 January 1970) the remembered offsets cover: all
// of the 32-bit range of seconds, with a margin that keeps every probe of a
// remembered day inside that range too.
constexpr std::int64_t kFirstDay = 1;
constexpr std::int64_t kLastDay = 24853;

constexpr std::int64_t FloorDivide(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

// Days from 1 January 1970 to the first of that month (1-12) of the
// proleptic Gregorian calendar.
constexpr std::int64_t DaysFromCivil(std::int64_t year, int month) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = FloorDivide(year, 400);
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The calendar fields of a count of seconds since 1970 read as a clock
// without zone: what mktime leaves in the fields of a day without a change.
std::tm CivilFields(std::int64_t seconds) {
    const std::int64_t days = FloorDivide(seconds, kSecondsPerDay);
    const std::int64_t second = seconds - days * kSecondsPerDay;
    const std::int64_t shifted = days + 719468;
    const std::int64_t era = FloorDivide(shifted, 146097);
    const std::int64_t dayOfEra = shifted - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153; // 0 is March
    const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

    std::tm fields{};
    fields.tm_year = static_cast<int>(year - 1900);
    fields.tm_mon = month - 1;
    fields.tm_mday = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    fields.tm_hour = static_cast<int>(second / 3600);
    fields.tm_min = static_cast<int>(second / 60 % 60);
    fields.tm_sec = static_cast<int>(second % 60);
    fields.tm_yday = static_cast<int>(days - DaysFromCivil(year, 1));
    // 1 January 1970 was a Thursday.
    fields.tm_wday = static_cast<int>(days + 4 - FloorDivide(days + 4, 7) * 7);
    return fields;
}

bool SameClock(const std::tm& a, const std::tm& b) {
    return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday &&
           a.tm_hour == b.tm_hour && a.tm_min == b.tm_min && a.tm_sec == b.tm_sec;
}

// What is remembered of a day, one word so that threads share it without a
// lock: the zone generation it was found under, whether the day runs
// without a change, the daylight flag and the seconds to add to the clock.
using DayWord = std::uint64_t;
constexpr int kGenerationShift = 40;
constexpr DayWord kEvenDay = DayWord{1} << 39;
constexpr DayWord kDaylight = DayWord{1} << 38;
constexpr std::int64_t kShiftBias = std::int64_t{1} << 30;

std::atomic<std::uint32_t> g_generation{1};
std::array<std::atomic<DayWord>, kLastDay + 1> g_days{};

DayWord Generation() {
    return static_cast<DayWord>(g_generation.load(std::memory_order_relaxed) & 0xFFFFFF)
           << kGenerationShift;
}

// Asks mktime about the clock at `civil`; whether it left the fields as
// they were, that is whether this clock time exists exactly once.
bool ClockExists(std::int64_t civil, std::time_t& seconds, int& daylight) {
    std::tm fields = CivilFields(civil);
    const std::tm asked = fields;
    fields.tm_isdst = -1;
    seconds = std::mktime(&fields);
    daylight = fields.tm_isdst > 0 ? 1 : 0;
    return seconds != static_cast<std::time_t>(-1) && SameClock(fields, asked);
}

DayWord LookUpDay(std::int64_t day) {
    const std::int64_t start = day * kSecondsPerDay;
    std::time_t before = 0, first = 0, last = 0, after = 0;
    int daylight[4] = {};
    const bool even =
        ClockExists(start - 1, before, daylight[0]) && ClockExists(start, first, daylight[1]) &&
        ClockExists(start + kSecondsPerDay - 1, last, daylight[2]) &&
        ClockExists(start + kSecondsPerDay, after, daylight[3]) && first - before == 1 &&
        last - first == kSecondsPerDay - 1 && after - last == 1 && daylight[0] == daylight[1] &&
        daylight[1] == daylight[2] && daylight[2] == daylight[3];
    DayWord word = Generation();
    if (even)
        word |= kEvenDay | (daylight[1] != 0 ? kDaylight : 0) |
                static_cast<DayWord>(static_cast<std::int64_t>(first) - start + kShiftBias);
    return word;
}

DayWord Day(std::int64_t day) {
    std::atomic<DayWord>& slot = g_days[static_cast<std::size_t>(day)];
    DayWord word = slot.load(std::memory_order_relaxed);
    if ((word & ~((DayWord{1} << kGenerationShift) - 1)) != Generation()) {
        word = LookUpDay(day);
        slot.store(word, std::memory_order_relaxed);
    }
    return word;
}

// Fields within their ranges in the years 1970-2037, as nearly every date
// read from a file is: the day number from tables, without divisions.
constexpr int kTableFirstYear = 1970;
constexpr int kTableLastYear = 2037;
constexpr std::array<std::int32_t, kTableLastYear - kTableFirstYear + 1> kYearStarts = [] {
    std::array<std::int32_t, kTableLastYear - kTableFirstYear + 1> starts{};
    for (int year = kTableFirstYear; year <= kTableLastYear; ++year)
        starts[static_cast<std::size_t>(year - kTableFirstYear)] =
            static_cast<std::int32_t>(DaysFromCivil(year, 1));
    return starts;
}();
constexpr std::array<int, 12> kDaysBeforeMonth = {0,   31,  59,  90,  120, 151,
                                                  181, 212, 243, 273, 304, 334};
constexpr std::array<int, 12> kDaysInMonth = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// The day number of fields that lie within their ranges; -1 for any other.
std::int64_t DayOfFieldsInRange(const std::tm& fields) {
    const int year = fields.tm_year + 1900;
    const int month = fields.tm_mon;
    if (year < kTableFirstYear || year > kTableLastYear || month < 0 || month > 11 ||
        fields.tm_mday < 1 || fields.tm_hour < 0 || fields.tm_hour > 23 || fields.tm_min < 0 ||
        fields.tm_min > 59 || fields.tm_sec < 0 || fields.tm_sec > 59)
        return -1;
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    const int february = month == 1 && leap ? 1 : 0;
    if (fields.tm_mday > kDaysInMonth[static_cast<std::size_t>(month)] + february)
        return -1;
    const int dayOfYear = kDaysBeforeMonth[static_cast<std::size_t>(month)] +
                          (month > 1 && leap ? 1 : 0) + fields.tm_mday - 1;
    return kYearStarts[static_cast<std::size_t>(year - kTableFirstYear)] + dayOfYear;
}

} // namespace

void CacheLocalTimeZone() {
    if (std::getenv("TZ") == nullptr)
        ::setenv("TZ", ":/etc/localtime", 1);
    ::tzset();
    g_generation.fetch_add(1, std::memory_order_relaxed);
}

void UseLocalTimeZone(const char* zone) {
    ::setenv("TZ", zone, 1);
    ::tzset();
    g_generation.fetch_add(1, std::memory_order_relaxed);
}

std::int64_t LocalTimeToSeconds(std::tm& fields) {
    std::int64_t day = DayOfFieldsInRange(fields);
    const bool inRange = day >= 0;
    std::int64_t civil = 0;
    if (inRange) {
        civil = day * kSecondsPerDay + fields.tm_hour * 3600 + fields.tm_min * 60 + fields.tm_sec;
    } else {
        // Months carried into years and every other field added as it
        // stands, as mktime does.
        const std::int64_t months = static_cast<std::int64_t>(fields.tm_year) * 12 + fields.tm_mon;
        const std::int64_t year = FloorDivide(months, 12) + 1900;
        const int month = static_cast<int>(months - FloorDivide(months, 12) * 12) + 1;
        civil = (DaysFromCivil(year, month) + fields.tm_mday - 1) * kSecondsPerDay +
                static_cast<std::int64_t>(fields.tm_hour) * 3600 +
                static_cast<std::int64_t>(fields.tm_min) * 60 + fields.tm_sec;
        day = FloorDivide(civil, kSecondsPerDay);
    }
    if (day < kFirstDay || day > kLastDay)
        return static_cast<std::int64_t>(std::mktime(&fields));
    const DayWord word = Day(day);
    const bool daylight = (word & kDaylight) != 0;
    if ((word & kEvenDay) == 0 || (fields.tm_isdst >= 0 && (fields.tm_isdst > 0) != daylight))
        return static_cast<std::int64_t>(std::mktime(&fields));

    if (inRange) {
        // Only the derived fields change.
        const int year = fields.tm_year + 1900;
        fields.tm_yday =
            static_cast<int>(day - kYearStarts[static_cast<std::size_t>(year - kTableFirstYear)]);
        fields.tm_wday = static_cast<int>((day + 4) % 7); // 1 January 1970 was a Thursday
    } else {
        fields = CivilFields(civil);
    }
    fields.tm_isdst = daylight ? 1 : 0;
    return civil + static_cast<std::int64_t>(word & 0xFFFFFFFF) - kShiftBias;
}
