// Runs the installation tests headless in a home of their own: HOME and the
// XDG folders point into a fresh temporary folder, so the settings, the
// desktop, the applications menu and Palm Desktop are all the tests' own,
// also for the programs they start. No message box or dialog ever opens.

#include "MessageBox.h"
#include "ModalDialog.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    const QByteArray root = home.path().toLocal8Bit();
    ::setenv("HOME", root.constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/.config").constData(), 1);
    ::setenv("XDG_DATA_HOME", (root + "/.local/share").constData(), 1);
    ::setenv("XDG_CACHE_HOME", (root + "/.cache").constData(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root + "/run").constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QDir(home.path()).mkpath("run");
    QFile::setPermissions(home.path() + "/run",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QApplication application(argc, argv);
    MessageBox::setTestMode(true);
    ModalDialog::setTestMode(true);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
