#include "FileDialog.h"

#include "ModalDialog.h"

#include <QFileDialog>
#include <QQueue>

namespace FileDialog {
namespace {

bool g_testMode = false;
QQueue<QString> g_nextFileNames;

} // namespace

QString getSaveFileName(QWidget* parent, const QString& caption, const QString& startPath,
                        const QString& filter) {
    if (g_testMode)
        return g_nextFileNames.isEmpty() ? QString() : g_nextFileNames.dequeue();
    QFileDialog dialog(parent, caption, startPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (ModalDialog::exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().front();
}

QString getOpenFileName(QWidget* parent, const QString& caption, const QString& startPath,
                        const QString& filter) {
    if (g_testMode)
        return g_nextFileNames.isEmpty() ? QString() : g_nextFileNames.dequeue();
    QFileDialog dialog(parent, caption, startPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (ModalDialog::exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().front();
}

void setTestMode(bool enabled) {
    g_testMode = enabled;
    g_nextFileNames.clear();
}

void setNextFileName(const QString& fileName) {
    g_nextFileNames.enqueue(fileName);
}

} // namespace FileDialog
