#include "DialogPrompter.h"

#include "CompletionDialog.h"
#include "MessageBox.h"
#include "ModalDialog.h"

namespace {

const QString kCaption = QStringLiteral("TvUnInstall");

} // namespace

bool DialogPrompter::Confirm(const QString& question) {
    return MessageBox::question(nullptr, question, kCaption) == MessageBox::Yes;
}

void DialogPrompter::ShowFailure(const QString& text) {
    MessageBox::warning(nullptr, text, kCaption);
}

void DialogPrompter::ShowCompletion(const QString& package) {
    CompletionDialog dialog(package);
    ModalDialog::exec(dialog);
}
