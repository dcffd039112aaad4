// Test main for everything that needs Qt's event loop but no window.
#include "platform/InternetLibrary.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    platform::InternetLibraryScope internet;
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
