// Runs the export commands' tests headless, in a home of their own: no
// message box or file dialog opens, and the progress of an export shows at
// once, so that a test can press its Cancel button.

#include "ExportSaveDialog.h"
#include "HeldProgressDialog.h"
#include "MessageBox.h"
#include "ModalDialog.h"
#include "PrivateHome.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    const PrivateHome home;
    if (!home.IsValid())
        return 1;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("TZ", "America/New_York", 0);
    QApplication application(argc, argv);
    MessageBox::setTestMode(true);
    ModalDialog::setTestMode(true);
    ExportSaveDialog::setTestMode(true);
    CHeldProgressDialog::SetShowDelay(0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
