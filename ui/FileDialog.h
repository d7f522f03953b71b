#pragma once

#include <QString>

class QWidget;

// File dialogs of the program, run through ModalDialog's hold (a reload
// closes one as cancelled), with a test seam like MessageBox: in test mode
// the next queued file name is returned (empty: cancelled) and no window
// opens.
namespace FileDialog {

QString getSaveFileName(QWidget* parent, const QString& caption, const QString& startPath,
                        const QString& filter);
// An existing file to read.
QString getOpenFileName(QWidget* parent, const QString& caption, const QString& startPath,
                        const QString& filter);

void setTestMode(bool enabled);
void setNextFileName(const QString& fileName);

} // namespace FileDialog
