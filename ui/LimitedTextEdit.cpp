#include "LimitedTextEdit.h"

#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

LimitedTextEdit::LimitedTextEdit(int maxLength, QWidget* parent)
    : QPlainTextEdit(parent), m_maxLength(maxLength) {
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this, [this](int position, int, int added) {
        m_addedFrom = position;
        m_addedTo = position + added;
    });
    connect(this, &QPlainTextEdit::textChanged, this, &LimitedTextEdit::Enforce);
}

void LimitedTextEdit::Enforce() {
    const int size = static_cast<int>(toPlainText().size());
    const int from = std::max(0, m_addedFrom);
    const int to = std::min(m_addedTo, size);
    m_addedFrom = m_addedTo = 0;
    const int excess = size - m_maxLength;
    if (excess <= 0 || to <= from)
        return;
    // Only the text just added is cut, from its end: a keystroke past the
    // limit is refused and a paste shortened to what still fits, while the
    // text that was there stays whole (and so does the undo history).
    QTextCursor cursor(document());
    cursor.setPosition(std::max(from, to - excess));
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}
