// The date-time value: checked construction, normalisation, the file form,
// comparisons and display texts. Local time is New York's.

#include "MTime.h"
#include "LocalTimeZone.h"
#include "MExcept.h"
#include "MFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <ctime>
#include <new>
#include <random>
#include <tuple>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

using namespace tvtest;

namespace {

class MTimeTest : public FixedZoneTest {};

// 9 June 2004 14:05:30 in New York (EDT) as seconds since 1970.
constexpr std::int64_t kJune9 = 1086804330;

Bytes DateBytes(int second, int minute, int hour, int day, int month, int year) {
    return ByteBuilder().Date(second, minute, hour, day, month, year).Get();
}

MTime ReadDate(const Bytes& bytes, MTime into = MTime(2000, 1, 1, 0, 0, 0, -1)) {
    MFile file = MemoryFile(bytes);
    EXPECT_TRUE(into.Read(file));
    return into;
}

} // namespace

// The views compare the dates of every record while the recovery journal's
// thread may be reading those records: a date already normal is compared
// without a write, which here, in a read-only page, would crash.
TEST_F(MTimeTest, ComparingANormalDateWritesNothing) {
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    void* memory =
        ::mmap(nullptr, page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(memory, MAP_FAILED);
    const MTime* date = ::new (memory) MTime(2004, 6, 9, 14, 5, 30, -1);
    ASSERT_EQ(::mprotect(memory, page, PROT_READ), 0);
    EXPECT_EQ(date->AsSeconds(), kJune9);
    EXPECT_LT(*date, MTime(kJune9 + 1));
    ::munmap(memory, page);
}

TEST_F(MTimeTest, LastSecondOfALeapYearIsItsDay365OnAFriday) {
    const MTime t(2004, 12, 31, 23, 59, 59, -1);
    EXPECT_EQ(t.GetDayOfYear(), 365);
    EXPECT_EQ(t.GetDayOfWeek(), 5);
    EXPECT_EQ(t.GetYear(), 104);
    EXPECT_EQ(t.GetMonth(), 11);
    EXPECT_EQ(t.GetDay(), 31);
    EXPECT_EQ(t.GetHour(), 23);
    EXPECT_EQ(t.GetMinute(), 59);
    EXPECT_EQ(t.GetSecond(), 59);
}

TEST_F(MTimeTest, ThirtiethOfFebruaryBecomesFirstOfMarch) {
    const MTime t(2004, 2, 30, 0, 0, 0, -1);
    EXPECT_EQ(t.GetMonth(), 2);
    EXPECT_EQ(t.GetDay(), 1);
    EXPECT_EQ(t.GetYear(), 104);
    EXPECT_EQ(t.GetDayOfYear(), 60);
    EXPECT_EQ(t.GetDayOfWeek(), 1); // a Monday
    EXPECT_EQ(t.DateText(), "3/1/2004");
}

TEST_F(MTimeTest, OverflowingFieldsCarryIntoTheNextUnits) {
    const MTime t(2004, 12, 31, 23, 59, 60, -1);
    EXPECT_EQ(t.DateTimeText(), "1/1/2005 0:00");
    EXPECT_EQ(t.GetSecond(), 0);
}

TEST_F(MTimeTest, DaylightSavingIsDecidedByTheLocalZone) {
    EXPECT_GT(MTime(2004, 7, 1, 12, 0, 0, -1).GetDaylightFlag(), 0);
    EXPECT_EQ(MTime(2004, 1, 15, 12, 0, 0, -1).GetDaylightFlag(), 0);
}

TEST_F(MTimeTest, BeforeTheEpochIsOutOfRange) {
    EXPECT_THROW(MTime(1969, 12, 31, 0, 0, 0, -1), MExceptTimeOutOfRange);
    EXPECT_THROW(MTime(1900, 1, 1, 0, 0, 0, -1), MExceptTimeOutOfRange);
}

TEST_F(MTimeTest, RangeStartsAtTheEpochInUtc) {
    // 1 January 1970 00:00:00 UTC is 31 December 1969 19:00 in New York.
    const MTime first(1969, 12, 31, 19, 0, 0, -1);
    EXPECT_EQ(first.AsSeconds(), 0);
    EXPECT_THROW(MTime(1969, 12, 31, 18, 59, 59, -1), MExceptTimeOutOfRange);
}

TEST_F(MTimeTest, RangeEndsAtTheLastSigned32BitSecond) {
    // 19 January 2038 03:14:07 UTC is 18 January 22:14:07 in New York.
    const MTime last(2038, 1, 18, 22, 14, 7, -1);
    EXPECT_EQ(last.AsSeconds(), 2147483647);
    EXPECT_THROW(MTime(2038, 1, 18, 22, 14, 8, -1), MExceptTimeOutOfRange);
    EXPECT_THROW(MTime(2100, 1, 1, 0, 0, 0, -1), MExceptTimeOutOfRange);
}

TEST_F(MTimeTest, CalendarFieldConstructionIsCheckedAndNormalised) {
    std::tm fields{};
    fields.tm_year = 104;
    fields.tm_mon = 2;
    fields.tm_mday = 0; // the day before 1 March
    fields.tm_hour = 12;
    fields.tm_isdst = -1;
    const MTime t(fields);
    EXPECT_EQ(t.GetMonth(), 1);
    EXPECT_EQ(t.GetDay(), 29);
    EXPECT_EQ(t.GetDayOfWeek(), 0);

    fields.tm_year = 60;
    EXPECT_THROW(MTime{fields}, MExceptTimeOutOfRange);
    fields.tm_year = 140;
    EXPECT_THROW(MTime{fields}, MExceptTimeOutOfRange);
}

TEST_F(MTimeTest, SecondsConstructionGivesLocalTime) {
    const MTime t(kJune9);
    EXPECT_EQ(t.GetYear(), 104);
    EXPECT_EQ(t.GetMonth(), 5);
    EXPECT_EQ(t.GetDay(), 9);
    EXPECT_EQ(t.GetHour(), 14);
    EXPECT_EQ(t.GetMinute(), 5);
    EXPECT_EQ(t.GetSecond(), 30);
    EXPECT_EQ(t.GetDayOfWeek(), 3);
    EXPECT_EQ(t.AsSeconds(), kJune9);
    EXPECT_EQ(MTime(2004, 6, 9, 14, 5, 30, -1).AsSeconds(), kJune9);
}

TEST_F(MTimeTest, DefaultIsNow) {
    const std::int64_t before = std::time(nullptr);
    const MTime now;
    const std::int64_t after = std::time(nullptr);
    EXPECT_GE(now.AsSeconds(), before);
    EXPECT_LE(now.AsSeconds(), after);
}

TEST_F(MTimeTest, CopyKeepsEveryField) {
    const MTime original(2004, 12, 31, 23, 59, 59, -1);
    MTime copy = MTime(2010, 1, 1, 0, 0, 0, -1);
    copy = original;
    EXPECT_EQ(copy.GetDayOfYear(), 365);
    EXPECT_EQ(copy.GetDayOfWeek(), 5);
    EXPECT_EQ(copy.DateTimeText(), "12/31/2004 23:59");
}

TEST_F(MTimeTest, FileFormIsSixLittleEndianWords) {
    const MTime t(2004, 6, 9, 14, 5, 30, -1);
    MFile file = MemoryFile();
    t.Write(file);
    EXPECT_EQ(ContentsOf(file),
              (Bytes{0x1E, 0x00, 0x05, 0x00, 0x0E, 0x00, 0x09, 0x00, 0x06, 0x00, 0xD4, 0x07}));
}

TEST_F(MTimeTest, ReadingStoresTheWordsAndTheDayFieldsFollowThem) {
    // Read into a winter value whose day of week (Friday) and day of year
    // differ from those of the date read.
    const MTime t = ReadDate(DateBytes(30, 5, 14, 9, 6, 2004), MTime(2004, 12, 31, 0, 0, 0, -1));
    EXPECT_EQ(t.GetSecond(), 30);
    EXPECT_EQ(t.GetMinute(), 5);
    EXPECT_EQ(t.GetHour(), 14);
    EXPECT_EQ(t.GetDay(), 9);
    EXPECT_EQ(t.GetMonth(), 5);
    EXPECT_EQ(t.GetYear(), 104);
    EXPECT_EQ(t.GetDayOfWeek(), 3);
    EXPECT_EQ(t.GetDayOfYear(), 160);
    EXPECT_GT(t.GetDaylightFlag(), 0);
    EXPECT_EQ(t.AsSeconds(), kJune9);
    EXPECT_EQ(t.GetHour(), 14);
}

TEST_F(MTimeTest, DateReadInTheOtherSeasonKeepsItsHourWhenCompared) {
    const MTime reference(2000, 1, 1, 0, 0, 0, -1);

    // A summer date read into a value made in winter.
    MTime summer = ReadDate(DateBytes(30, 5, 14, 9, 6, 2004), MTime(2004, 1, 15, 0, 0, 0, -1));
    EXPECT_TRUE(summer > reference);
    EXPECT_EQ(summer.DateTimeText(), "6/9/2004 14:05");
    EXPECT_EQ(summer.AsSeconds(), kJune9);

    // A winter date read into a value made in summer.
    MTime winter = ReadDate(DateBytes(0, 30, 8, 15, 1, 2004), MTime(2004, 7, 15, 0, 0, 0, -1));
    EXPECT_TRUE(winter > reference);
    EXPECT_EQ(winter.DateTimeText(), "1/15/2004 8:30");
    EXPECT_TRUE(winter == MTime(2004, 1, 15, 8, 30, 0, -1));

    // Written back after the comparison, the bytes are still those read.
    MFile out = MemoryFile();
    summer.Write(out);
    EXPECT_EQ(ContentsOf(out), DateBytes(30, 5, 14, 9, 6, 2004));
}

TEST_F(MTimeTest, ReadAtEndOfFileLeavesTheValue) {
    MTime t(2004, 6, 9, 14, 5, 30, -1);
    MFile file = MemoryFile();
    EXPECT_FALSE(t.Read(file));
    EXPECT_EQ(t.AsSeconds(), kJune9);
}

TEST_F(MTimeTest, ReadThenWrittenGivesTheSameBytesEvenWhenOutOfRange) {
    for (const Bytes& bytes : {DateBytes(30, 5, 14, 9, 6, 2004), DateBytes(0, 0, 0, 1, 13, 2004),
                               DateBytes(99, 99, 99, 99, 99, 1900), DateBytes(0, 0, 0, 0, 0, 0),
                               DateBytes(0xFFFF, 0, 0, 1, 1, 0xFFFF)}) {
        MTime t = ReadDate(bytes);
        MFile out = MemoryFile();
        t.Write(out);
        EXPECT_EQ(ContentsOf(out), bytes);
    }
}

TEST_F(MTimeTest, MonthThirteenStaysUntilCompared) {
    MTime t = ReadDate(DateBytes(0, 0, 12, 15, 13, 2004));
    EXPECT_EQ(t.GetMonth(), 12);
    EXPECT_EQ(t.GetYear(), 104);
    EXPECT_EQ(t.DateText(), "13/15/2004");

    // As the right-hand side it is not changed.
    const MTime earlier(2004, 6, 1, 0, 0, 0, -1);
    EXPECT_TRUE(earlier < t);
    EXPECT_EQ(t.GetMonth(), 12);

    // As the left-hand side it is normalised in place.
    EXPECT_TRUE(t > earlier);
    EXPECT_EQ(t.GetMonth(), 0);
    EXPECT_EQ(t.GetYear(), 105);
    EXPECT_EQ(t.GetDay(), 15);
    EXPECT_EQ(t.DateText(), "1/15/2005");
    EXPECT_TRUE(t == MTime(2005, 1, 15, 12, 0, 0, -1));
}

TEST_F(MTimeTest, StoredDateOutsideTheRangeRaisesOnlyWhenCompared) {
    MTime old = ReadDate(DateBytes(0, 0, 0, 1, 1, 1960));
    EXPECT_EQ(old.DateText(), "1/1/1960");
    const MTime fine(2004, 1, 1, 0, 0, 0, -1);
    EXPECT_THROW((void)(old < fine), MExceptTimeOutOfRange);
    EXPECT_THROW((void)(fine < old), MExceptTimeOutOfRange);
    EXPECT_THROW((void)(fine == old), MExceptTimeOutOfRange);
    EXPECT_EQ(old.AsSeconds(), -1);

    MTime late = ReadDate(DateBytes(0, 0, 0, 1, 1, 2040));
    EXPECT_THROW((void)(late >= fine), MExceptTimeOutOfRange);
    EXPECT_EQ(late.AsSeconds(), -1);
}

TEST_F(MTimeTest, ComparisonsOrderByMoment) {
    const MTime a(2004, 6, 9, 14, 5, 30, -1);
    const MTime b(2004, 6, 9, 14, 5, 31, -1);
    const MTime sameAsA(2004, 6, 9, 14, 5, 30, -1);

    EXPECT_TRUE(a < b);
    EXPECT_FALSE(b < a);
    EXPECT_FALSE(a < sameAsA);
    EXPECT_TRUE(b > a);
    EXPECT_FALSE(a > b);
    EXPECT_FALSE(a > sameAsA);
    EXPECT_TRUE(a <= b);
    EXPECT_TRUE(a <= sameAsA);
    EXPECT_FALSE(b <= a);
    EXPECT_TRUE(b >= a);
    EXPECT_TRUE(a >= sameAsA);
    EXPECT_FALSE(a >= b);
    EXPECT_TRUE(a == sameAsA);
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a != b);
    EXPECT_FALSE(a != sameAsA);
}

TEST_F(MTimeTest, DifferentFieldsOfTheSameMomentAreEqual) {
    // 24:00 on 8 June, read unnormalised, is 0:00 on 9 June.
    const MTime midnight = ReadDate(DateBytes(0, 0, 24, 8, 6, 2004));
    EXPECT_TRUE(midnight == MTime(2004, 6, 9, 0, 0, 0, -1));
    EXPECT_EQ(midnight.GetDay(), 9);
}

TEST_F(MTimeTest, ComparisonsSpanYearsAndDaylightChanges) {
    EXPECT_TRUE(MTime(2003, 12, 31, 23, 59, 59, -1) < MTime(2004, 1, 1, 0, 0, 0, -1));
    // Across the change to summer time on 4 April 2004.
    EXPECT_TRUE(MTime(2004, 4, 4, 1, 59, 59, -1) < MTime(2004, 4, 4, 3, 0, 0, -1));
    EXPECT_EQ(MTime(2004, 4, 4, 3, 0, 0, -1).AsSeconds() -
                  MTime(2004, 4, 4, 1, 59, 59, -1).AsSeconds(),
              1);
}

TEST_F(MTimeTest, DisplayTexts) {
    const MTime june(2004, 6, 9, 14, 5, 30, -1);
    EXPECT_EQ(june.DateText(), "6/9/2004");
    EXPECT_EQ(june.DateTimeText(), "6/9/2004 14:05");
    EXPECT_EQ(MTime(2004, 12, 31, 9, 0, 0, -1).DateTimeText(), "12/31/2004 9:00");
    EXPECT_EQ(MTime(2004, 1, 2, 0, 59, 0, -1).DateTimeText(), "1/2/2004 0:59");
    EXPECT_EQ(MTime::RangeText(june, MTime(2005, 1, 31, 23, 59, 59, -1)),
              "6/9/2004 through 1/31/2005");
}

namespace {

// Noon of the days around each change of the local zone's offset, 1970-2037.
std::vector<std::time_t> DaysAroundChanges() {
    std::vector<std::time_t> days;
    long previous = 0;
    for (std::time_t noon = 43200; noon < 2145916800; noon += 86400) {
        std::tm today{};
        localtime_r(&noon, &today);
        if (noon != 43200 && today.tm_gmtoff != previous)
            days.insert(days.end(), {noon - 86400, noon});
        previous = today.tm_gmtoff;
    }
    return days;
}

// Whether `clock` is the local time at `moment` and at no moment up to two
// hours either side.
bool ReadsOnlyAt(std::time_t moment, const std::tm& clock) {
    const auto reads = [&clock](std::time_t at) {
        std::tm fields{};
        localtime_r(&at, &fields);
        return std::tie(fields.tm_year, fields.tm_yday, fields.tm_hour, fields.tm_min,
                        fields.tm_sec) ==
               std::tie(clock.tm_year, clock.tm_yday, clock.tm_hour, clock.tm_min, clock.tm_sec);
    };
    int others = 0;
    for (int shift = -7200; shift <= 7200; shift += 900)
        others += shift != 0 && reads(moment + shift) ? 1 : 0;
    return moment != -1 && reads(moment) && others == 0;
}

} // namespace

// The day-by-day conversion gives what mktime gives, fields and seconds, for
// any fields in zones with every kind of change: daylight saving at 2:00 and
// at midnight, a half-hour change, a skipped day, a new standard offset,
// leap seconds, none at all.
// Half of the fields fall on the days around a change.
TEST(LocalTimeConversion, AgreesWithMktimeInEveryZone) {
    std::mt19937 random(20261209);
    const auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (const char* zone :
         {"America/New_York", "America/Sao_Paulo", "Australia/Lord_Howe", "Pacific/Apia",
          "America/Caracas", "Asia/Kolkata", "right/Europe/London", "UTC"}) {
        UseLocalTimeZone(zone);
        const std::vector<std::time_t> changes = DaysAroundChanges();
        for (int i = 0; i < 8000; ++i) {
            std::tm asked{};
            asked.tm_year = pick(69, 138);
            asked.tm_mon = pick(-2, 13);
            asked.tm_mday = pick(-1, 32);
            if (i % 2 == 0 && !changes.empty()) {
                const std::time_t day = changes[pick(0, static_cast<int>(changes.size()) - 1)];
                localtime_r(&day, &asked);
            }
            asked.tm_hour = pick(-1, 24);
            asked.tm_min = pick(-1, 60);
            asked.tm_sec = pick(-1, 61);
            asked.tm_isdst = pick(-1, 1);
            std::tm fast = asked;
            const std::time_t seconds = LocalTimeToSeconds(fast);
            std::tm slow = asked;
            const std::time_t expected = std::mktime(&slow);
            // A clock time that is missing or repeats is mktime's to place,
            // and its answer then depends on its previous call.
            std::tm clock = asked;
            clock.tm_isdst = -1;
            if (!ReadsOnlyAt(std::mktime(&clock), clock))
                continue;
            ASSERT_EQ(seconds, expected) << zone << " " << std::asctime(&asked);
            const auto fields = [](const std::tm& t) {
                return std::tie(t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                                t.tm_wday, t.tm_yday, t.tm_isdst);
            };
            ASSERT_EQ(fields(fast), fields(slow)) << zone << " " << std::asctime(&asked);
        }
    }
    UseLocalTimeZone("America/New_York");
}
