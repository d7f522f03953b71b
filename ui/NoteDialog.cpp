#include "NoteDialog.h"

#include "DialogButtons.h"
#include "LimitedTextEdit.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

CNoteDialog::CNoteDialog(const QString& note, QWidget* parent)
    : QDialog(parent), m_note(new LimitedTextEdit(kMaxLength, this)) {
    setWindowTitle("NOTE");
    m_note->setObjectName("noteEdit");
    m_note->setPlainText(note);
    m_note->setMinimumSize(320, 140);
    QDialogButtonBox* buttons = MakeOkCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_note);
    layout->addWidget(buttons);
    m_note->setFocus();
}

QString CNoteDialog::Note() const {
    return m_note->toPlainText();
}
