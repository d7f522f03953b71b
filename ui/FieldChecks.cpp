#include "FieldChecks.h"

#include "MessageBox.h"
#include "WholeNumber.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <cmath>

namespace FieldChecks {

void Refuse(QWidget* field, const QString& message) {
    MessageBox::warning(field->window(), message);
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
}

std::optional<std::int64_t> ReadInteger(QLineEdit* field, std::int64_t minimum,
                                        std::int64_t maximum) {
    const WholeNumber number = WholeNumber::Parse(field->text().toStdString(), minimum, maximum);
    switch (number.verdict) {
    case WholeNumber::Verdict::Ok:
        return number.value;
    case WholeNumber::Verdict::NotANumber:
        Refuse(field, "Please enter an integer.");
        return std::nullopt;
    case WholeNumber::Verdict::OutOfRange:
        Refuse(field,
               QString("Please enter an integer between %1 and %2.").arg(minimum).arg(maximum));
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<double> PeekNumber(const QLineEdit* field) {
    bool ok = false;
    const double value = field->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> ReadNumber(QLineEdit* field, double minimum, double maximum) {
    const std::optional<double> value = PeekNumber(field);
    if (!value) {
        Refuse(field, "Please enter a number.");
        return std::nullopt;
    }
    if (*value < minimum || *value > maximum) {
        Refuse(field, QString("Please enter a number between %1 and %2.")
                          .arg(minimum, 0, 'g', 10)
                          .arg(maximum, 0, 'g', 10));
        return std::nullopt;
    }
    return value;
}

void AllowDigitsOnly(QLineEdit* field) {
    field->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), field));
}

} // namespace FieldChecks
