#include "FileDialog.h"

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
    return QFileDialog::getSaveFileName(parent, caption, startPath, filter);
}

void setTestMode(bool enabled) {
    g_testMode = enabled;
    g_nextFileNames.clear();
}

void setNextFileName(const QString& fileName) {
    g_nextFileNames.enqueue(fileName);
}

} // namespace FileDialog
