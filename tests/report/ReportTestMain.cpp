// Runs the report tests without a display. tvtool's report command starts
// its own offscreen application when none runs; the tests start one first so
// that the canvas tests can measure fonts, and the command uses that one.

#include <QGuiApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("TZ", "America/New_York", 0);
    testing::InitGoogleTest(&argc, argv);
    QGuiApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
