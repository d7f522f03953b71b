#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Reading the dates and numbers of imported cells.

// The order of day, month and year in a date like 3/4/2024.
enum class DateOrder : std::uint8_t { MonthDayYear = 1, DayMonthYear = 2, YearMonthDay = 4 };

// The orders a date text can be read in, as a set of DateOrder bits: 0 for
// a text that is no date in any order. "2024-03-14" and "14.3.2024" have one
// order; "3/4/2024" two, "3/14/2024" one.
unsigned DateOrdersOf(std::string_view text);

struct DateFields {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

enum class DateVerdict { Ok, NotADate, NoSuchDay };

// Reads a date with an optional time of day: M/D/YYYY (or with the day
// first when the order says so), D.M.YYYY, YYYY-MM-DD, any of them followed
// by "H:MM", "H:MM:SS", with "AM" or "PM", and ISO 8601's "T" between. Two-
// digit years are 1970-2069. The order applies where the text allows more
// than one. NoSuchDay for a day, month, hour or minute out of its range.
DateVerdict ReadDate(std::string_view text, DateOrder order, DateFields& fields);

// A workbook's day serial (days since 30 December 1899, or since 1 January
// 1904), rounded to the minute; NoSuchDay before 1900 or past 9999.
DateVerdict ReadDateSerial(double serial, bool from1904, DateFields& fields);

// Whether the year, month and day name a day of the calendar.
bool IsCalendarDay(int year, int month, int day);

// How a column writes its numbers: which of '.' and ',' separates the
// decimals; the other one, blanks and apostrophes may group thousands.
struct NumberStyle {
    char decimal = '.';
};

// The style a number text shows, if it shows one ("1.234,5" and "12,5" show
// a decimal comma, "1,234.5" and "12.5" a decimal point; "1,234" does not
// tell).
std::optional<char> DecimalSeparatorOf(std::string_view text);

// Reads a number: an optional sign (or parentheses), digits with the
// style's separators, an optional currency sign or unit letters around it.
std::optional<double> ReadNumber(std::string_view text, NumberStyle style);

// "1,234": the digits grouped by thousands, as the messages show numbers.
std::string GroupedNumber(long long value);
