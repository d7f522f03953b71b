#pragma once

#include <QPlainTextEdit>

// A multi-line text field that, like a line edit's maxLength, never holds more
// than a set number of characters: typing or pasting past it is cut off. Tab
// moves on to the next field; Return starts a new line.
class LimitedTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    LimitedTextEdit(int maxLength, QWidget* parent = nullptr);

    int MaxLength() const { return m_maxLength; }

private:
    void Enforce();

    int m_maxLength;
    // Where the last change added text.
    int m_addedFrom = 0;
    int m_addedTo = 0;
};
