#include "ImportValues.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\xA0'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Reads up to `most` digits at text[at]; the count read in digits.
int Digits(std::string_view text, std::size_t& at, std::size_t most, std::size_t& digits) {
    int value = 0;
    digits = 0;
    while (at < text.size() && IsDigit(text[at]) && digits < most) {
        value = value * 10 + (text[at++] - '0');
        ++digits;
    }
    return value;
}

// A date text taken apart: three numbers with one separator, and the time.
struct DateShape {
    int first = 0, second = 0, third = 0;
    std::size_t firstDigits = 0, thirdDigits = 0;
    char separator = 0;
    int hour = 0, minute = 0, secondOfMinute = 0;
    bool twelveHour = false, afternoon = false;
};

bool Shape(std::string_view text, DateShape& shape) {
    text = Trimmed(text);
    std::size_t at = 0;
    std::size_t digits = 0;
    shape.first = Digits(text, at, 4, shape.firstDigits);
    if (shape.firstDigits == 0 || at >= text.size())
        return false;
    shape.separator = text[at++];
    if (shape.separator != '/' && shape.separator != '-' && shape.separator != '.')
        return false;
    shape.second = Digits(text, at, 2, digits);
    if (digits == 0 || at >= text.size() || text[at++] != shape.separator)
        return false;
    shape.third = Digits(text, at, 4, shape.thirdDigits);
    // The year comes first with four digits, or last with two or four.
    const bool yearFirst = shape.firstDigits == 4 && shape.thirdDigits <= 2;
    const bool yearLast = shape.firstDigits <= 2 && shape.thirdDigits != 3;
    if (shape.thirdDigits == 0 || (!yearFirst && !yearLast))
        return false;
    if (at == text.size())
        return true;
    // The time of day.
    if (text[at] == 'T' || text[at] == ' ')
        ++at;
    else
        return false;
    while (at < text.size() && text[at] == ' ')
        ++at;
    shape.hour = Digits(text, at, 2, digits);
    if (digits == 0 || at >= text.size() || text[at++] != ':')
        return false;
    shape.minute = Digits(text, at, 2, digits);
    if (digits != 2)
        return false;
    if (at < text.size() && text[at] == ':') {
        ++at;
        shape.secondOfMinute = Digits(text, at, 2, digits);
        if (digits != 2)
            return false;
        // Fractions of a second are dropped.
        if (at < text.size() && text[at] == '.') {
            ++at;
            while (at < text.size() && IsDigit(text[at]))
                ++at;
        }
    }
    while (at < text.size() && text[at] == ' ')
        ++at;
    if (at + 2 == text.size()) {
        const char a = static_cast<char>(std::toupper(static_cast<unsigned char>(text[at])));
        const char m = static_cast<char>(std::toupper(static_cast<unsigned char>(text[at + 1])));
        if ((a != 'A' && a != 'P') || m != 'M')
            return false;
        shape.twelveHour = true;
        shape.afternoon = a == 'P';
        at += 2;
    } else if (at + 1 == text.size() && text[at] == 'Z') {
        ++at;
    }
    return at == text.size();
}

int FullYear(int year, std::size_t digits) {
    if (digits > 2)
        return year;
    return year < 70 ? 2000 + year : 1900 + year;
}

unsigned OrdersOfShape(const DateShape& shape) {
    if (shape.firstDigits == 4)
        return static_cast<unsigned>(DateOrder::YearMonthDay);
    if (shape.separator == '.')
        return static_cast<unsigned>(DateOrder::DayMonthYear);
    unsigned orders = 0;
    if (shape.first >= 1 && shape.first <= 12 && shape.second >= 1 && shape.second <= 31)
        orders |= static_cast<unsigned>(DateOrder::MonthDayYear);
    if (shape.second >= 1 && shape.second <= 12 && shape.first >= 1 && shape.first <= 31)
        orders |= static_cast<unsigned>(DateOrder::DayMonthYear);
    // Out of range either way: the text is still a date, read as the order says.
    return orders != 0 ? orders
                       : static_cast<unsigned>(DateOrder::MonthDayYear) |
                             static_cast<unsigned>(DateOrder::DayMonthYear);
}

} // namespace

bool IsCalendarDay(int year, int month, int day) {
    static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1])
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day <= 28 || leap;
}

unsigned DateOrdersOf(std::string_view text) {
    DateShape shape;
    return Shape(text, shape) ? OrdersOfShape(shape) : 0;
}

DateVerdict ReadDate(std::string_view text, DateOrder order, DateFields& fields) {
    DateShape shape;
    if (!Shape(text, shape))
        return DateVerdict::NotADate;
    const unsigned orders = OrdersOfShape(shape);
    const DateOrder used = (orders & static_cast<unsigned>(order)) != 0 ? order
                           : (orders & static_cast<unsigned>(DateOrder::MonthDayYear)) != 0 &&
                                   order == DateOrder::YearMonthDay
                               ? DateOrder::MonthDayYear
                               : static_cast<DateOrder>(orders & (~orders + 1));
    switch (used) {
    case DateOrder::YearMonthDay:
        fields.year = shape.first;
        fields.month = shape.second;
        fields.day = shape.third;
        break;
    case DateOrder::MonthDayYear:
        fields.month = shape.first;
        fields.day = shape.second;
        fields.year = FullYear(shape.third, shape.thirdDigits);
        break;
    case DateOrder::DayMonthYear:
        fields.day = shape.first;
        fields.month = shape.second;
        fields.year = FullYear(shape.third, shape.thirdDigits);
        break;
    }
    fields.hour = shape.hour;
    fields.minute = shape.minute;
    fields.second = shape.secondOfMinute;
    if (shape.twelveHour) {
        if (shape.hour < 1 || shape.hour > 12)
            return DateVerdict::NoSuchDay;
        fields.hour = shape.hour % 12 + (shape.afternoon ? 12 : 0);
    }
    if (!IsCalendarDay(fields.year, fields.month, fields.day) || fields.hour > 23 ||
        fields.minute > 59 || fields.second > 59)
        return DateVerdict::NoSuchDay;
    return DateVerdict::Ok;
}

DateVerdict ReadDateSerial(double serial, bool from1904, DateFields& fields) {
    // Excel's day 60 is 29 February 1900, which never was; from day 61 on the
    // count from 30 December 1899 is right.
    if (!std::isfinite(serial) || serial < (from1904 ? 0 : 61) || serial > 2958465)
        return DateVerdict::NoSuchDay;
    const long long minutes = std::llround(serial * 24 * 60);
    long long days = minutes / (24 * 60) + (from1904 ? 1462 : 0);
    const long long minuteOfDay = minutes % (24 * 60);
    // Days since 30 December 1899 to a civil date (the days-from-civil
    // algorithm run backwards, from 1 March 0000).
    days += 693899;
    const long long era = days / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    fields.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    fields.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    fields.year = static_cast<int>(yearOfEra + era * 400 + (fields.month <= 2 ? 1 : 0));
    fields.hour = static_cast<int>(minuteOfDay / 60);
    fields.minute = static_cast<int>(minuteOfDay % 60);
    fields.second = 0;
    return DateVerdict::Ok;
}

std::optional<char> DecimalSeparatorOf(std::string_view text) {
    const std::size_t dot = text.rfind('.');
    const std::size_t comma = text.rfind(',');
    if (dot != std::string_view::npos && comma != std::string_view::npos)
        return dot > comma ? '.' : ',';
    const std::size_t last = dot != std::string_view::npos ? dot : comma;
    if (last == std::string_view::npos)
        return std::nullopt;
    const char separator = text[last];
    // Twice is a thousands separator: the other one is the decimal.
    if (text.find(separator) != last)
        return separator == '.' ? ',' : '.';
    std::size_t after = 0;
    while (last + 1 + after < text.size() && IsDigit(text[last + 1 + after]))
        ++after;
    if (after == 3)
        return std::nullopt;
    return separator;
}

std::optional<double> ReadNumber(std::string_view text, NumberStyle style) {
    text = Trimmed(text);
    bool negative = false;
    if (text.size() >= 2 && text.front() == '(' && text.back() == ')') {
        negative = true;
        text = Trimmed(text.substr(1, text.size() - 2));
    }
    // A currency sign or unit before or after: anything but digits, signs and
    // separators at either end.
    const auto isPart = [](char c) {
        return IsDigit(c) || c == '-' || c == '+' || c == '.' || c == ',';
    };
    while (!text.empty() && !isPart(text.front()) && text.front() != '(')
        text.remove_prefix(1);
    while (!text.empty() && !isPart(text.back()))
        text.remove_suffix(1);
    text = Trimmed(text);
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = negative != (text.front() == '-');
        text = Trimmed(text.substr(1));
    }
    const char grouping = style.decimal == '.' ? ',' : '.';
    std::string plain;
    bool digits = false;
    bool decimals = false;
    for (const char c : text) {
        if (IsDigit(c)) {
            plain.push_back(c);
            digits = true;
        } else if (c == style.decimal && !decimals) {
            plain.push_back('.');
            decimals = true;
        } else if ((c == grouping || c == ' ' || c == '\'' || c == '\xA0') && !decimals && digits) {
            continue;
        } else {
            return std::nullopt;
        }
    }
    if (!digits || plain.size() > 30)
        return std::nullopt;
    const double value = std::strtod(plain.c_str(), nullptr);
    return negative ? -value : value;
}

std::string GroupedNumber(long long value) {
    const unsigned long long magnitude = value < 0 ? 0ull - static_cast<unsigned long long>(value)
                                                   : static_cast<unsigned long long>(value);
    const std::string digits = std::to_string(magnitude);
    std::string grouped = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0)
            grouped.push_back(',');
        grouped.push_back(digits[i]);
    }
    return grouped;
}
