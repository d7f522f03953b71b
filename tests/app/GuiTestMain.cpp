// Runs the desktop tests headless, in a home of their own: settings, Palm
// Desktop's key, the trace log and the hand-over socket all live in a fresh
// temporary folder, and no message box or file dialog ever opens.

#include "FileDialog.h"
#include "MessageBox.h"
#include "ModalDialog.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    const QByteArray root = home.path().toLocal8Bit();
    ::setenv("HOME", root.constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    ::setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    ::setenv("XDG_CACHE_HOME", (root + "/cache").constData(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root + "/run").constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The zone ctest gives every test, also when the binary is run by hand.
    ::setenv("TZ", "America/New_York", 0);
    QDir(home.path()).mkpath("run");
    QFile::setPermissions(home.path() + "/run",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName("Brisklane");
    QCoreApplication::setApplicationName("TvDesk");
    MessageBox::setTestMode(true);
    FileDialog::setTestMode(true);
    ModalDialog::setTestMode(true);

    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
