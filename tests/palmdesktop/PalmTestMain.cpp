// Runs the Palm Desktop stand-in's tests in a home of their own, so that the
// settings they register notifiers and conduits in are never the user's.

#include "PrivateHome.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // No desktop program listens in its runtime folder, so a notifier called
    // finds none.
    const PrivateHome home;
    if (!home.IsValid())
        return 1;

    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
