#include "MessageBox.h"

#include "ModalDialog.h"

#include <QAbstractButton>
#include <QQueue>

namespace MessageBox {
namespace {

bool g_testMode = false;
QQueue<Button> g_nextAnswers;
QStringList g_shown;
QStringList g_captions;

Button Show(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
            QMessageBox::StandardButtons buttons, Button defaultButton,
            const QString& yesText = QString(), const QString& noText = QString()) {
    if (g_testMode) {
        g_shown.append(text);
        g_captions.append(caption);
        return g_nextAnswers.isEmpty() ? defaultButton : g_nextAnswers.dequeue();
    }
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setDefaultButton(static_cast<QMessageBox::StandardButton>(defaultButton));
    if (!yesText.isEmpty())
        box.button(QMessageBox::Yes)->setText(yesText);
    if (!noText.isEmpty())
        box.button(QMessageBox::No)->setText(noText);
    // A box closed by a reload gives no button: no question is answered.
    return static_cast<Button>(ModalDialog::execShown(box));
}

} // namespace

Button information(QWidget* parent, const QString& text, const QString& caption) {
    return Show(parent, QMessageBox::Information, caption, text, QMessageBox::Ok, Ok);
}

Button warning(QWidget* parent, const QString& text, const QString& caption) {
    return Show(parent, QMessageBox::Warning, caption, text, QMessageBox::Ok, Ok);
}

Button critical(QWidget* parent, const QString& text, const QString& caption) {
    return Show(parent, QMessageBox::Critical, caption, text, QMessageBox::Ok, Ok);
}

Button question(QWidget* parent, const QString& text, const QString& caption) {
    return Show(parent, QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                No);
}

Button ask(QWidget* parent, const QString& text, const QString& yesText, const QString& noText,
           const QString& caption) {
    return Show(parent, QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                Yes, yesText, noText);
}

void setTestMode(bool enabled) {
    g_testMode = enabled;
}
void setNextAnswer(Button answer) {
    g_nextAnswers.enqueue(answer);
}
QStringList shownTexts() {
    return g_shown;
}
QStringList shownCaptions() {
    return g_captions;
}
void clearShownTexts() {
    g_shown.clear();
    g_captions.clear();
    g_nextAnswers.clear();
}

} // namespace MessageBox
