// GoogleTest main for tests that need a QApplication (widgets run offscreen).
#include "app/StartUp.h"

#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    StartUp::installJapanese(application);
    return RUN_ALL_TESTS();
}
