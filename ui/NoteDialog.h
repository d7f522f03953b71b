#pragma once

#include <QDialog>

#include <string>

class LimitedTextEdit;
class QHBoxLayout;

// "NOTE": edits the note of a trip, a service entry or an expense; at most
// 255 characters, line breaks allowed.
class CNoteDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 255;

    explicit CNoteDialog(const QString& note, QWidget* parent = nullptr);

    QString Note() const;

private:
    LimitedTextEdit* m_note;
};

// The bottom row of a record dialog: "&Note..." on the left, away from OK and
// Cancel on the right. The button edits note, the dialog's copy of the
// record's note, which reaches the record only when the dialog ends with OK.
QHBoxLayout* MakeNoteAndOkCancelRow(QDialog* dialog, std::string& note);
