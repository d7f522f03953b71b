#pragma once

#include <cstdint>
#include <string_view>

// Reads a whole number typed into a dialog field: optional blanks around it,
// an optional minus sign, digits only. Any number of digits is read without
// overflowing, so a too long number is out of range rather than no number.
struct WholeNumber {
    enum class Verdict { Ok, NotANumber, OutOfRange };

    Verdict verdict = Verdict::NotANumber;
    std::int64_t value = 0;

    static WholeNumber Parse(std::string_view text, std::int64_t minimum, std::int64_t maximum);
};
