// Runs the installation tests headless in a home of their own: HOME and the
// XDG folders point into a fresh temporary folder, so the settings, the
// desktop, the applications menu and Palm Desktop are all the tests' own,
// also for the programs they start. No message box or dialog ever opens.

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

    QApplication application(argc, argv);
    MessageBox::setTestMode(true);
    ModalDialog::setTestMode(true);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
