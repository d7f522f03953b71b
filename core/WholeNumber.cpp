#include "WholeNumber.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

WholeNumber WholeNumber::Parse(std::string_view text, std::int64_t minimum, std::int64_t maximum) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    if (text.empty())
        return {};
    // Numbers of 18 digits and more are out of any range a field has; they
    // stop growing here, where one more digit cannot overflow.
    constexpr std::int64_t kCeiling = 100'000'000'000'000'000;
    std::int64_t magnitude = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return {};
        if (magnitude < kCeiling)
            magnitude = magnitude * 10 + (c - '0');
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < minimum || value > maximum || magnitude >= kCeiling)
        return {Verdict::OutOfRange, value};
    return {Verdict::Ok, value};
}
