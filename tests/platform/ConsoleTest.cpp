// Control+C turned into a call on the event loop.
#include "platform/Console.h"

#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

namespace {

void IgnoreSignal(int) { }

sighandler_t CurrentHandler()
{
    struct sigaction action { };
    sigaction(SIGINT, nullptr, &action);
    return action.sa_handler;
}

// Puts a harmless handler in place for the test, and the old one back after.
class InterruptBridgeTest : public testing::Test {
protected:
    InterruptBridgeTest() { previous = std::signal(SIGINT, IgnoreSignal); }
    ~InterruptBridgeTest() override { std::signal(SIGINT, previous); }

    sighandler_t previous;
};

} // namespace

TEST_F(InterruptBridgeTest, TheFirstInterruptIsCalledFromTheEventLoopAndTheNextEndsTheProgram)
{
    int calls = 0;
    platform::InterruptBridge bridge([&] { ++calls; });
    std::raise(SIGINT);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 2000));
    EXPECT_EQ(CurrentHandler(), SIG_DFL);
}

TEST_F(InterruptBridgeTest, TheHandlerBeforeComesBackWhenTheBridgeGoes)
{
    {
        platform::InterruptBridge bridge([] {});
        EXPECT_NE(CurrentHandler(), IgnoreSignal);
    }
    EXPECT_EQ(CurrentHandler(), IgnoreSignal);
}

TEST_F(InterruptBridgeTest, OnlyOneBridgeAtATime)
{
    platform::InterruptBridge bridge([] {});
    EXPECT_THROW(platform::InterruptBridge([] {}), std::logic_error);
}
