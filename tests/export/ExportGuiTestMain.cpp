// Runs the export commands' tests headless, in a home of their own: no
// message box or file dialog opens, and the progress of an export shows at
// once, so that a test can press its Cancel button.

#include "ExportProgressDialog.h"
#include "ExportSaveDialog.h"
#include "MessageBox.h"
#include "ModalDialog.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    const QByteArray root = home.path().toLocal8Bit();
    ::setenv("HOME", root.constData(), 1);
    ::setenv("XDG_RUNTIME_DIR", root.constData(), 1);
    QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("TZ", "America/New_York", 0);
    QApplication application(argc, argv);
    MessageBox::setTestMode(true);
    ModalDialog::setTestMode(true);
    ExportSaveDialog::setTestMode(true);
    CExportProgressDialog::SetShowDelay(0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
