// Runs the Palm Desktop stand-in's tests in a home of their own, so that the
// settings they register notifiers and conduits in are never the user's.

#include <QCoreApplication>
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
    ::setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    ::setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    // No desktop program listens here, so a notifier called finds none.
    ::setenv("XDG_RUNTIME_DIR", (root + "/run").constData(), 1);
    QDir(home.path()).mkpath("run");

    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
