// Test main for widget and window tests; CTest runs them offscreen.
#include "platform/InternetLibrary.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Tests never need a display, not even to list themselves.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::InternetLibraryScope internet;
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
