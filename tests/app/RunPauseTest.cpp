// "Pause between calls?" waits without freezing the window: events are
// handled during the pause, and Abort ends the run at once.
#include "tests/app/RunFixture.h"

#include <QTimer>
#include <chrono>

using namespace std::chrono_literals;

class RunPause : public RunFixture {
protected:
    // Starts a run through French with the pause on and returns once the
    // first reply has been read, that is once the pause has begun.
    void StartAndWaitForThePause()
    {
        Type("Hello");
        Tick("French");
        Click("CheckBoxPause");
        Click("ButtonTranslate");
        ASSERT_TRUE(WaitUntil([&] {
            return Widget<TMemo>("MemoDebugInfo").Text().find("FIXED REPLY") != std::string::npos;
        }));
        ASSERT_EQ(service.RequestCount(), 1u);
    }
};

TEST_F(RunPause, AnEventPostedDuringThePauseIsHandledAtOnce)
{
    StartAndWaitForThePause();
    const auto posted = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point handled;
    QTimer::singleShot(0, form.get(), [&] { handled = std::chrono::steady_clock::now(); });
    ASSERT_TRUE(WaitUntil([&] { return handled != std::chrono::steady_clock::time_point {}; }));
    EXPECT_LT(handled - posted, 50ms);
    EXPECT_EQ(service.RequestCount(), 1u);
    ASSERT_TRUE(WaitUntil([&] { return Idle(); }));
    EXPECT_EQ(Status(), "Ready.");
    EXPECT_EQ(service.RequestCount(), 2u);
}

TEST_F(RunPause, AbortDuringThePauseEndsTheRunAtOnce)
{
    StartAndWaitForThePause();
    Click("ButtonStop");
    EXPECT_TRUE(Idle());
    EXPECT_EQ(Status(), "Ready.  Aborted.");
    QTest::qWait(700);
    EXPECT_EQ(service.RequestCount(), 1u);
    EXPECT_EQ(Status(), "Ready.  Aborted.");
}

// The pause once held the window: the click was seen only after the output
// marker that follows the step had shown the step's text.
TEST_F(RunPause, AbortDuringThePauseShowsTheTextTheStepReached)
{
    Click("CheckBoxShowEach");
    Tick("German");
    StartAndWaitForThePause();
    ASSERT_TRUE(WaitForRequests(2));
    ASSERT_TRUE(WaitUntil([&] {
        return Widget<TMemo>("MemoDebugInfo").Text().find("en:fr:Hello") != std::string::npos;
    }));
    Click("ButtonStop");
    EXPECT_TRUE(Idle());
    EXPECT_EQ(Status(), "Ready.  Aborted.");
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Lines(),
        (Lines { "Hello", "", Equals(), "en:fr:Hello", "", Equals(),
            "Aborted at step 4 of 6 (English \u2192 German)." }));
    EXPECT_EQ(service.RequestCount(), 2u);
}
