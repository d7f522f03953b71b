#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

// Every message box of the program goes through here, so that tests can
// answer them in advance and read what was shown instead of blocking on a
// modal window. A box runs through ModalDialog's hold: one that the document's
// reload closes returns NoButton.
namespace MessageBox {

enum Button {
    NoButton = 0,
    Ok = QMessageBox::Ok,
    Cancel = QMessageBox::Cancel,
    Yes = QMessageBox::Yes,
    No = QMessageBox::No,
};

// The caption of message boxes that name none.
inline const QString kDefaultCaption = QStringLiteral("TvDesk");

Button information(QWidget* parent, const QString& text, const QString& caption = kDefaultCaption);
Button warning(QWidget* parent, const QString& text, const QString& caption = kDefaultCaption);
Button critical(QWidget* parent, const QString& text, const QString& caption = kDefaultCaption);
// Yes and No, No being the safe default.
Button question(QWidget* parent, const QString& text, const QString& caption = kDefaultCaption);

// A question answered by two buttons that read yesText and noText (access
// keys marked with &): Yes for the first, the default, No for the second.
Button ask(QWidget* parent, const QString& text, const QString& yesText, const QString& noText,
           const QString& caption = kDefaultCaption);

// Test seam. In test mode no window opens: each box takes the next queued
// answer (or its default button) and its text is recorded.
void setTestMode(bool enabled);
void setNextAnswer(Button answer);
QStringList shownTexts();
QStringList shownCaptions();
void clearShownTexts();

} // namespace MessageBox
