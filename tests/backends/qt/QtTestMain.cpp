#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "backends/qt/ThreadsWindDown.h"

int main(int argc, char** argv) {
    // Real widgets without a display: Qt's offscreen platform, unless the caller chose one.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Every failure reaches the log as it happens, also from a test stopped at its time limit.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    int status;
    {
        QApplication application(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    waitForThreadsToWindDown();
    return status;
}
