#pragma once

#include <QDateEdit>

// A date field that takes a typed date whole. While the user types, the text
// stays as typed: no part of it is changed to a day that exists, and no date
// is taken. On Enter or on leaving the field the whole text is read, month
// first; a date that does not exist is refused with "Invalid date" and the
// previous date shows again. The calendar and the arrow keys work as in any
// date field.
class CWholeDateEdit : public QDateEdit {
    Q_OBJECT
public:
    explicit CWholeDateEdit(const QDate& date, QWidget* parent = nullptr);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void TakeTypedDate();
};
