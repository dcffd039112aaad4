// Runs until stable: the plan runs again from the text reached until a round
// ends with the text it started with, or the most rounds have run.
#include "tests/run/EngineFixture.h"
#include "text/AsciiText.h"

class EngineRounds : public EngineFixture {
protected:
    RunRequest UntilStable(PlanOptions options, int maxRounds = DefaultMaxRounds)
    {
        RunRequest request = Request(options);
        request.untilStable = true;
        request.maxRounds = maxRounds;
        return request;
    }
};

TEST_F(EngineRounds, ARoundEndingWithTheTextItStartedWithEndsTheRun)
{
    service.SetResponder(standin::SettlingReply);
    const RunEnd end = RunToEnd(UntilStable(Languages({ "French" })));
    EXPECT_EQ(end.StatusText(), "Ready.  Stable after 3 rounds.");
    EXPECT_EQ(end.kind, RunEndKind::FinishedInReply);
    EXPECT_TRUE(end.untilStable);
    EXPECT_TRUE(end.stable);
    EXPECT_EQ(end.rounds, 3);
    EXPECT_EQ(end.text, "Hello++++");
    EXPECT_FALSE(end.Failed());
    EXPECT_EQ(RequestTexts(),
        (Lines { "Hello\r\n", "Hello+", "Hello++", "Hello+++", "Hello++++", "Hello++++" }));
    ASSERT_EQ(steps.size(), 6u);
    EXPECT_EQ(steps[2].round, 2);
    EXPECT_EQ(steps[2].planIndex, 0);
}

TEST_F(EngineRounds, ATextThatNeverSettlesStopsAfterTheMostRounds)
{
    const RunEnd end = RunToEnd(UntilStable(Languages({ "French" }), 4));
    EXPECT_EQ(end.StatusText(), "Ready.  Not stable after 4 rounds.");
    EXPECT_FALSE(end.stable);
    EXPECT_EQ(end.rounds, 4);
    EXPECT_EQ(service.RequestCount(), 8u);
    EXPECT_FALSE(end.Failed());
}

TEST_F(EngineRounds, TwentyRoundsAtMostByDefault)
{
    const RunEnd end = RunToEnd(UntilStable(Languages({ "French" })));
    EXPECT_EQ(end.StatusText(), "Ready.  Not stable after 20 rounds.");
    EXPECT_EQ(service.RequestCount(), 40u);
}

TEST_F(EngineRounds, AnInputThatComesBackWholeIsStableAfterOneRound)
{
    // The service answers with the text it was sent: the input's own line
    // break does not make the first round look unsettled.
    service.SetResponder([](const ServiceRequest& request, int) {
        return ServiceReply { 200,
            standin::ReplyPage({ std::string(text::Trim(request.fields.at("text"))) }) };
    });
    const RunEnd end = RunToEnd(UntilStable(Languages({ "French" })));
    EXPECT_EQ(end.StatusText(), "Ready.  Stable after 1 round.");
    EXPECT_EQ(service.RequestCount(), 2u);
}

TEST_F(EngineRounds, MarkersShowTheirTextInEveryRoundAndTheLastOneEndsTheRun)
{
    service.SetResponder(standin::SettlingReply);
    PlanOptions options = Languages({ "French" });
    options.showEachStep = true;
    const RunEnd end = RunToEnd(UntilStable(options));
    EXPECT_EQ(end.kind, RunEndKind::FinishedAtMarker);
    EXPECT_EQ(end.StatusText(), "Ready.  Stable after 3 rounds.");
    EXPECT_EQ(MarkerTexts(), (Lines { "Hello++", "Hello++++", "Hello++++" }));
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(markers[2].round, 3);
}

// With Reset After Each, later rounds start each language afresh from the
// text their round started with, not from the input.
TEST_F(EngineRounds, ResetsInLaterRoundsGoBackToTheRoundsStartingText)
{
    PlanOptions options = Languages({ "French", "German" });
    options.showEachStep = true;
    options.resetAfterEach = true;
    RunToEnd(UntilStable(options, 2));
    EXPECT_EQ(RequestTexts(),
        (Lines { "Hello\r\n", "fr:Hello", "Hello\r\n", "de:Hello", "en:de:Hello", "fr:en:de:Hello",
            "en:de:Hello", "de:en:de:Hello" }));
}

TEST_F(EngineRounds, AbortThatTookNoEffectStopsTheRunAtTheEndOfTheRound)
{
    AbortAsTheFirstReplyArrives();
    const RunEnd end = RunToEnd(UntilStable(Languages({ "French" })));
    EXPECT_EQ(end.StatusText(), "Ready.");
    EXPECT_EQ(end.rounds, 1);
    EXPECT_EQ(service.RequestCount(), 2u);
}
