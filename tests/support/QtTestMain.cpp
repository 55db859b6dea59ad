// Test main for suites that need a QApplication (widgets, fonts, resources). Link it in place
// of gtest_main. Without a platform chosen in the environment the tests run offscreen.

#include "base/CNumberConventions.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    varne::KeepCNumberConventions();
    return RUN_ALL_TESTS();
}
