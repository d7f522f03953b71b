#pragma once

#include <QDialog>

class LimitedTextEdit;

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
