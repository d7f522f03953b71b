// Runs the desktop tests headless, in a home of their own: settings, Palm
// Desktop's key, the trace log and the hand-over socket all live in a fresh
// temporary folder, and no message box or file dialog ever opens.

#include "FileDialog.h"
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
    // The zone ctest gives every test, also when the binary is run by hand.
    ::setenv("TZ", "America/New_York", 0);

    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName("Brisklane");
    QCoreApplication::setApplicationName("TvDesk");
    MessageBox::setTestMode(true);
    FileDialog::setTestMode(true);
    ModalDialog::setTestMode(true);

    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
