#pragma once

#include <cstdint>
#include <optional>

class QLineEdit;
class QString;
class QWidget;

// The checks a dialog makes on a field when OK is pressed; a failed check
// tells the user, puts the focus on the field and selects its text.
namespace FieldChecks {

// A whole number within [minimum, maximum]: "Please enter an integer." for
// anything else than a number, "Please enter an integer between %1 and %2."
// for a number outside the range (however many digits it has).
std::optional<std::int64_t> ReadInteger(QLineEdit* field, std::int64_t minimum,
                                        std::int64_t maximum);
// A decimal number within [minimum, maximum]: "Please enter a number." for
// anything else, "Please enter a number between %1 and %2." outside the range.
std::optional<double> ReadNumber(QLineEdit* field, double minimum, double maximum);
// Reads a decimal number without telling anyone: none when the field holds
// none.
std::optional<double> PeekNumber(const QLineEdit* field);
// Typing and pasting are limited to digits. A text set otherwise (a reading
// from the file, say a negative one) is still checked by ReadInteger.
void AllowDigitsOnly(QLineEdit* field);

// Tells the user and puts the focus on the field.
void Refuse(QWidget* field, const QString& message);

} // namespace FieldChecks
