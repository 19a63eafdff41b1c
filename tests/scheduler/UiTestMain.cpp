#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "TempDir.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Nothing here may reach the real settings folder, whatever a window asks Qt for.
    torvane::test::TempDir settings;
    ::setenv("XDG_CONFIG_HOME", settings.path().c_str(), 1);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
