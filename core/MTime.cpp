#include "MTime.h"

#include "LocalTimeZone.h"
#include "MExcept.h"

#include <cstdio>
#include <limits>
#include <mutex>

namespace {

constexpr std::int64_t kLatestSecond = std::numeric_limits<std::int32_t>::max();

// mktime on this machine's 64-bit time_t, held to the 32-bit range.
std::int64_t Normalise(std::tm& fields) {
    const std::int64_t seconds = LocalTimeToSeconds(fields);
    return seconds < 0 || seconds > kLatestSecond ? -1 : seconds;
}

std::int64_t NormaliseChecked(std::tm& fields) {
    const std::int64_t seconds = Normalise(fields);
    if (seconds < 0)
        throw MExceptTimeOutOfRange();
    return seconds;
}

// Held while a normalisation changes the stored fields of a time, and by
// WriteBackHold.
std::mutex g_writeBackMutex;

} // namespace

MTime::WriteBackHold::WriteBackHold() {
    g_writeBackMutex.lock();
}

MTime::WriteBackHold::~WriteBackHold() {
    g_writeBackMutex.unlock();
}

std::tm MTime::ToTm() const {
    std::tm fields{};
    fields.tm_sec = m_sec;
    fields.tm_min = m_min;
    fields.tm_hour = m_hour;
    fields.tm_mday = m_mday;
    fields.tm_mon = m_month - 1;
    fields.tm_year = m_fullYear - 1900;
    fields.tm_isdst = -1;
    return fields;
}

std::tm MTime::Normalised() const {
    std::tm fields = ToTm();
    if (Normalise(fields) < 0)
        return std::tm{};
    return fields;
}

// Only ever given the result of a conversion, whose fields are all small.
void MTime::FromTm(const std::tm& fields) const {
    m_sec = static_cast<std::uint16_t>(fields.tm_sec);
    m_min = static_cast<std::uint16_t>(fields.tm_min);
    m_hour = static_cast<std::uint16_t>(fields.tm_hour);
    m_mday = static_cast<std::uint16_t>(fields.tm_mday);
    m_month = static_cast<std::uint16_t>(fields.tm_mon + 1);
    m_fullYear = static_cast<std::uint16_t>(fields.tm_year + 1900);
}

void MTime::WriteBack(const std::tm& fields) const {
    if (fields.tm_sec != m_sec || fields.tm_min != m_min || fields.tm_hour != m_hour ||
        fields.tm_mday != m_mday || fields.tm_mon + 1 != m_month ||
        fields.tm_year + 1900 != m_fullYear) {
        const std::lock_guard lock(g_writeBackMutex);
        FromTm(fields);
    }
}

MTime::MTime() {
    const std::time_t now = std::time(nullptr);
    std::tm fields{};
    localtime_r(&now, &fields);
    FromTm(fields);
}

MTime::MTime(const std::tm& fields) {
    std::tm copy = fields;
    NormaliseChecked(copy);
    FromTm(copy);
}

MTime::MTime(std::int64_t secondsSince1970) {
    const auto moment = static_cast<std::time_t>(secondsSince1970);
    std::tm fields{};
    localtime_r(&moment, &fields);
    FromTm(fields);
}

MTime::MTime(int year, int month, int day, int hour, int minute, int second, int daylightFlag) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = daylightFlag;
    NormaliseChecked(fields);
    FromTm(fields);
}

std::int64_t MTime::AsSeconds() const {
    std::tm fields = ToTm();
    const std::int64_t seconds = Normalise(fields);
    WriteBack(fields);
    return seconds;
}

int MTime::Compare(const MTime& other) const {
    std::tm left = ToTm();
    const std::int64_t leftSeconds = NormaliseChecked(left);
    WriteBack(left);
    std::tm right = other.ToTm();
    const std::int64_t rightSeconds = NormaliseChecked(right);
    return leftSeconds < rightSeconds ? -1 : (leftSeconds > rightSeconds ? 1 : 0);
}

std::string MTime::DateText() const {
    char text[48];
    std::snprintf(text, sizeof(text), "%d/%d/%d", m_month, m_mday, m_fullYear);
    return text;
}

std::string MTime::DateTimeText() const {
    char text[64];
    std::snprintf(text, sizeof(text), "%d/%d/%d %d:%.2d", m_month, m_mday, m_fullYear, m_hour,
                  m_min);
    return text;
}

std::string MTime::RangeText(const MTime& from, const MTime& to) {
    return from.DateText() + " through " + to.DateText();
}
