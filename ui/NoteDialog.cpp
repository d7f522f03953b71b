#include "NoteDialog.h"

#include "AnsiText.h"
#include "DialogButtons.h"
#include "LimitedTextEdit.h"
#include "ModalDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
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

QHBoxLayout* MakeNoteAndOkCancelRow(QDialog* dialog, std::string& note) {
    auto* button = new QPushButton("&Note...", dialog);
    button->setObjectName("noteButton");
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, dialog, [dialog, &note] {
        CNoteDialog editor(AnsiText::ToQString(note), dialog);
        if (ModalDialog::exec(editor) == QDialog::Accepted)
            note = AnsiText::FromQString(editor.Note());
    });
    auto* row = new QHBoxLayout;
    row->addWidget(button);
    row->addStretch(1);
    row->addWidget(MakeOkCancelButtons(dialog));
    return row;
}
