#pragma once

#include "MFile.h"

#include <cstdint>
#include <ctime>
#include <string>

// A broken-down local date and time, checked and normalised through the C
// library's local-time conversion. A moment is in range when it lies between
// 1 January 1970 00:00:00 UTC and the last second a signed 32-bit count of
// seconds can hold; every checked construction and every comparison enforces
// that range whatever the width of this machine's time_t.
//
// Comparisons normalise the left-hand value in place (so a month 13 read from
// a file becomes January of the next year once compared), which is why the
// calendar fields are mutable. A value already normal is not written to.
class MTime {
public:
    // Held by a thread that reads times which another thread may compare
    // meanwhile (the recovery journal's writer reading records): while it is
    // held, no normalisation changes the fields the file stores. Such a
    // change is rare (a field out of range in a file), so that comparisons
    // almost never wait for it.
    class WriteBackHold {
    public:
        WriteBackHold();
        ~WriteBackHold();
        WriteBackHold(const WriteBackHold&) = delete;
        WriteBackHold& operator=(const WriteBackHold&) = delete;
    };

    // The current local time.
    MTime();
    // Copies the calendar fields and normalises them; raises MExceptTimeOutOfRange.
    explicit MTime(const std::tm& fields);
    // The local time of that moment, unchecked.
    explicit MTime(std::int64_t secondsSince1970);
    // year in full, month 1-12, day 1-31; normalised and checked.
    MTime(int year, int month, int day, int hour, int minute, int second, int daylightFlag);

    // Normalises in place; the seconds since 1970 UTC, or -1 when out of range.
    std::int64_t AsSeconds() const;

    // Both sides are converted (the left one in place); raise MExceptTimeOutOfRange.
    bool operator==(const MTime& other) const { return Compare(other) == 0; }
    bool operator!=(const MTime& other) const { return Compare(other) != 0; }
    bool operator<(const MTime& other) const { return Compare(other) < 0; }
    bool operator>(const MTime& other) const { return Compare(other) > 0; }
    bool operator<=(const MTime& other) const { return Compare(other) <= 0; }
    bool operator>=(const MTime& other) const { return Compare(other) >= 0; }

    static constexpr std::size_t kStoredSize = 12;
    // Twelve bytes: second, minute, hour, day, month 1-12, full year, each a
    // little-endian 16-bit value. Reading stores them unchecked and reports
    // whether any byte was read.
    void Write(MFile& file) const {
        const std::uint8_t bytes[12] = {Low(m_sec),    High(m_sec),     Low(m_min),
                                        High(m_min),   Low(m_hour),     High(m_hour),
                                        Low(m_mday),   High(m_mday),    Low(m_month),
                                        High(m_month), Low(m_fullYear), High(m_fullYear)};
        file.WriteBytes(bytes, sizeof(bytes));
    }
    bool Read(MFile& file) {
        std::uint8_t bytes[kStoredSize] = {};
        if (file.Read(bytes, sizeof(bytes)) == 0)
            return false;
        Decode(bytes);
        return true;
    }
    // The file form's twelve bytes, stored unchecked as Read stores them.
    void Decode(const std::uint8_t* bytes) {
        m_sec = Word(bytes + 0);
        m_min = Word(bytes + 2);
        m_hour = Word(bytes + 4);
        m_mday = Word(bytes + 6);
        m_month = Word(bytes + 8);
        m_fullYear = Word(bytes + 10);
    }

    int GetSecond() const { return m_sec; }
    int GetMinute() const { return m_min; }
    int GetHour() const { return m_hour; }
    int GetDay() const { return m_mday; }
    int GetMonth() const { return m_month - 1; }      // 0-11
    int GetYear() const { return m_fullYear - 1900; } // years since 1900
    // Worked out from the fields when asked, without normalising them in
    // place; 0 for a time out of range.
    int GetDayOfWeek() const { return Normalised().tm_wday; }
    int GetDayOfYear() const { return Normalised().tm_yday; }
    int GetDaylightFlag() const { return Normalised().tm_isdst; }

    // "%d/%d/%d": month, day, full year.
    std::string DateText() const;
    // "%d/%d/%d %d:%.2d": month, day, full year, hour, two-digit minute.
    std::string DateTimeText() const;
    // "%d/%d/%d through %d/%d/%d".
    static std::string RangeText(const MTime& from, const MTime& to);

private:
    static std::uint8_t Low(std::uint16_t value) { return static_cast<std::uint8_t>(value); }
    static std::uint8_t High(std::uint16_t value) { return static_cast<std::uint8_t>(value >> 8); }
    static std::uint16_t Word(const std::uint8_t* bytes) {
        return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
    }
    int Compare(const MTime& other) const;
    // The fields for the C library's conversion, which decides the daylight
    // flag: the file holds none, and a flag kept from an earlier value would
    // shift a time by an hour when it is normalised in the other season.
    std::tm ToTm() const;
    std::tm Normalised() const;
    void FromTm(const std::tm& fields) const;
    // FromTm in place of a value others may read: writes only what changed.
    void WriteBack(const std::tm& fields) const;

    // The six calendar fields the file stores, kept as it stores them (16
    // bits each, month 1-12, full year), which holds every value a file or a
    // normalised time can give. Nothing else: records hold millions of these.
    mutable std::uint16_t m_sec = 0, m_min = 0, m_hour = 0, m_mday = 0, m_month = 0, m_fullYear = 0;
};
