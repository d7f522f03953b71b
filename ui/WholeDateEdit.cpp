#include "WholeDateEdit.h"

#include "MessageBox.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

CWholeDateEdit::CWholeDateEdit(const QDate& date, QWidget* parent) : QDateEdit(date, parent) {
    setDisplayFormat("M/d/yyyy");
    setCalendarPopup(true);
    setKeyboardTracking(false);
}

QValidator::State CWholeDateEdit::validate(QString& input, int&) const {
    for (const QChar character : input)
        if (!character.isDigit() && character != '/' && character != ' ')
            return QValidator::Invalid;
    const QDate date = QDate::fromString(input.trimmed(), displayFormat());
    return date.isValid() && date >= minimumDate() && date <= maximumDate()
               ? QValidator::Acceptable
               : QValidator::Intermediate;
}

void CWholeDateEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Enter:
    case Qt::Key_Return:
        TakeTypedDate();
        break;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        // Straight to the text, past the date field's section editing.
        QCoreApplication::sendEvent(lineEdit(), event);
        return;
    default:
        if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
            QCoreApplication::sendEvent(lineEdit(), event);
            return;
        }
        break;
    }
    QDateEdit::keyPressEvent(event);
}

void CWholeDateEdit::focusOutEvent(QFocusEvent* event) {
    TakeTypedDate();
    QDateEdit::focusOutEvent(event);
}

void CWholeDateEdit::TakeTypedDate() {
    const QString typed = lineEdit()->text();
    if (typed == textFromDateTime(dateTime()))
        return;
    const QDate date = QDate::fromString(typed.trimmed(), displayFormat());
    if (date.isValid() && date >= minimumDate() && date <= maximumDate()) {
        setDate(date);
        return;
    }
    // The previous date shows again before the message, so that the focus
    // the message takes finds nothing more to read.
    lineEdit()->setText(textFromDateTime(dateTime()));
    MessageBox::warning(this, "Invalid date");
}
