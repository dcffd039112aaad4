// Runs through the engine against the stand-in service: the worked plans end
// with the results and status texts the window shows, each step and marker
// is reported, and every way a run ends gives the window's text.
#include "tests/run/EngineFixture.h"

#include <QTimer>
#include <chrono>

using namespace std::chrono_literals;

struct WorkedRun {
    const char* name;
    PlanOptions options; // French and German ticked, home English
    Lines markerTexts;
    std::string finalText;
    RunEndKind kind;
};

void PrintTo(const WorkedRun& run, std::ostream* out)
{
    *out << run.name;
}

PlanOptions FrenchAndGerman(int loops, bool showEach, bool chain, bool reset, bool reverse = false)
{
    PlanOptions options;
    options.ticked[13] = options.ticked[15] = true;
    options.loops = loops;
    options.showEachStep = showEach;
    options.foreignChaining = chain;
    options.resetAfterEach = reset;
    options.reverseOrder = reverse;
    return options;
}

class EngineWorkedRun : public EngineFixture, public testing::WithParamInterface<WorkedRun> { };

TEST_P(EngineWorkedRun, EndsWithTheWindowsResultAndStatus)
{
    const WorkedRun& worked = GetParam();
    const TranslationPlan plan = BuildPlan(worked.options);
    const RunEnd end = RunToEnd(Request(worked.options));

    Lines stepEntries;
    for (const PlanStep& entry : plan.entries)
        if (!entry.IsOutputMarker())
            stepEntries.push_back(entry.Text());
    EXPECT_EQ(RequestedSteps(), stepEntries);
    EXPECT_EQ(MarkerTexts(), worked.markerTexts);
    EXPECT_EQ(end.kind, worked.kind);
    EXPECT_EQ(end.StatusText(), "Ready.");
    EXPECT_EQ(end.text, worked.finalText);
    EXPECT_FALSE(end.Failed());
    EXPECT_FALSE(engine.Active());
}

INSTANTIATE_TEST_SUITE_P(FrenchAndGermanFromEnglish, EngineWorkedRun,
    testing::Values(WorkedRun { "NoOption", FrenchAndGerman(1, false, false, false), {},
                        "en:de:en:fr:Hello", RunEndKind::FinishedInReply },
        WorkedRun { "ShowEachStep", FrenchAndGerman(1, true, false, false),
            { "en:fr:Hello", "en:de:en:fr:Hello" }, "en:de:en:fr:Hello",
            RunEndKind::FinishedAtMarker },
        WorkedRun { "ForeignChaining", FrenchAndGerman(1, false, true, false), {}, "en:de:fr:Hello",
            RunEndKind::FinishedInReply },
        WorkedRun { "ForeignChainingShowEachStep", FrenchAndGerman(1, true, true, false),
            { "fr:Hello", "de:fr:Hello", "en:de:fr:Hello" }, "en:de:fr:Hello",
            RunEndKind::FinishedAtMarker },
        WorkedRun { "ReverseOrder", FrenchAndGerman(1, false, false, false, true), {},
            "en:fr:en:de:Hello", RunEndKind::FinishedInReply },
        WorkedRun { "LoopsTwoResetAfterEachShowEachStep", FrenchAndGerman(2, true, false, true),
            { "en:fr:en:fr:Hello", "en:de:en:de:Hello" }, "en:de:en:de:Hello",
            RunEndKind::FinishedAtMarker },
        WorkedRun { "LoopsTwoForeignChainingResetAfterEach", FrenchAndGerman(2, false, true, true),
            {}, "en:de:fr:en:de:fr:Hello", RunEndKind::FinishedInReply }),
    [](const testing::TestParamInfo<WorkedRun>& info) { return std::string(info.param.name); });

class Engine : public EngineFixture { };

TEST_F(Engine, ReportsEachStepBeforeItGoesOutAndAfterItsReply)
{
    const RunEnd end = RunToEnd(Request(FrenchAndGerman(1, true, false, false)));
    EXPECT_EQ(statusTexts,
        (Lines { "Translating 1 [en|fr] ...", "Translating 2 [fr|en] ...",
            "Translating 4 [en|de] ...", "Translating 5 [de|en] ..." }));
    ASSERT_EQ(steps.size(), 4u);
    const StepReport& second = steps[1];
    EXPECT_EQ(second.planIndex, 1);
    EXPECT_EQ(second.entry, "fr|en");
    EXPECT_EQ(second.sourceCode, "fr");
    EXPECT_EQ(second.targetCode, "en");
    EXPECT_EQ(second.textBefore, "fr:Hello");
    EXPECT_EQ(second.textAfter, "en:fr:Hello");
    EXPECT_EQ(second.round, 1);
    EXPECT_GE(second.milliseconds, 0);
    EXPECT_EQ(steps[0].textBefore, input);
    ASSERT_EQ(markers.size(), 2u);
    EXPECT_EQ(markers[0].planIndex, 2);
    EXPECT_EQ(markers[1].planIndex, 5);
    EXPECT_EQ(end.rounds, 1);
    EXPECT_FALSE(end.untilStable);
}

TEST_F(Engine, ResetStartsEachLanguageFromTheInputAsItStandsAtTheMarker)
{
    RunRequest request = Request(FrenchAndGerman(1, true, false, true));
    std::string liveInput = input;
    request.inputs.inputText = [&] { return liveInput; };
    engine.OnOutputMarker = [&](const MarkerReport&) { liveInput = "Changed\r\n"; };
    RunToEnd(std::move(request));
    EXPECT_EQ(RequestTexts(), (Lines { "Hello\r\n", "fr:Hello", "Changed\r\n", "de:Changed" }));
}

TEST_F(Engine, APlanWithoutStepsIsRefused)
{
    RunRequest request = Request(Languages({ "French" }));
    request.plan.clear();
    const RunEnd end = RunToEnd(std::move(request));
    EXPECT_EQ(end.StatusText(), "Ready.  Error: please specify some languages to translate.");
    EXPECT_EQ(service.RequestCount(), 0u);
}

struct BadReply {
    const char* name;
    ServiceReply reply;
    RunEndKind kind;
    std::string status;
};

void PrintTo(const BadReply& bad, std::ostream* out)
{
    *out << bad.name;
}

class EngineBadReply : public EngineFixture, public testing::WithParamInterface<BadReply> { };

// The second request is answered badly; the first step's text is reported,
// the run stops there.
TEST_P(EngineBadReply, EndsWithTheWindowsMessage)
{
    service.SetResponder([](const ServiceRequest& request, int index) {
        return index == 1 ? GetParam().reply : standin::TranslationReply(request);
    });
    const RunEnd end = RunToEnd(Request(Languages({ "French", "German" })));
    EXPECT_EQ(end.kind, GetParam().kind);
    EXPECT_EQ(end.StatusText(), GetParam().status);
    EXPECT_TRUE(end.Failed());
    EXPECT_EQ(service.RequestCount(), 2u);
    EXPECT_EQ(steps.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Replies, EngineBadReply,
    testing::Values(
        BadReply { "Refused",
            { 200,
                "<html>Translate Sorry, this text cannot be translated <span "
                "id=result_box></html>" },
            RunEndKind::ReplyUnusable, "Ready.  Error: text could not be translated sensibly." },
        BadReply { "EmptyPiece", { 200, standin::ReplyPage({ "" }) }, RunEndKind::ReplyUnusable,
            "Ready.  Error: improper result translation on result page (type 4)." },
        BadReply { "NoResultBox", { 200, "<html>Translate</html>" }, RunEndKind::ReplyUnusable,
            "Ready.  Error: improper result translation on result page (type 1)." },
        BadReply { "RefusedWithReason",
            { 200,
                "<html>Translate Sorry, this text cannot be translated: it is not "
                "here\n<p id=\"tornalo-reason\">no translation engine here reaches "
                "Klingon</p></html>" },
            RunEndKind::ReplyUnusable,
            "Ready.  Error: text could not be translated sensibly. French \u2192 English: no "
            "translation engine here reaches Klingon." },
        BadReply { "NotFound", { 404, "<html>Not here</html>" }, RunEndKind::TransferFailed,
            "Ready.  Error. French \u2192 English: the service answered 404 Not Found." },
        BadReply { "UnknownStatus", { 599, "" }, RunEndKind::TransferFailed,
            "Ready.  Error. French \u2192 English: the service answered 599." }),
    [](const testing::TestParamInfo<BadReply>& info) { return std::string(info.param.name); });

class EngineEnding : public EngineFixture {
protected:
    // Holds every reply and starts the run; returns once the first request
    // has reached the service.
    void StartHeld(RunRequest request)
    {
        service.HoldReplies(true);
        Start(std::move(request));
        ASSERT_TRUE(WaitForRequests(1));
    }
};

TEST_F(EngineEnding, AbortWhileARequestIsOutstandingEndsWithAborted)
{
    StartHeld(Request(Languages({ "French" })));
    engine.Abort();
    EXPECT_TRUE(ends.empty());
    service.ReleaseHeld();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(ends.back().kind, RunEndKind::Aborted);
    EXPECT_EQ(ends.back().StatusText(), "Ready.  Aborted.");
    EXPECT_EQ(service.RequestCount(), 1u);
}

TEST_F(EngineEnding, AbortWhenTheReplyArrivesAnywayStopsAtTheNextMarker)
{
    AbortAsTheFirstReplyArrives();
    const RunEnd end = RunToEnd(Request(FrenchAndGerman(1, true, false, false)));
    EXPECT_EQ(service.RequestCount(), 2u);
    EXPECT_EQ(end.kind, RunEndKind::FinishedAtMarker);
    EXPECT_EQ(end.StatusText(), "Ready.");
    EXPECT_EQ(MarkerTexts(), (Lines { "en:fr:Hello" }));
}

TEST_F(EngineEnding, AbortDuringThePauseEndsAtOnceWithoutTheNextRequest)
{
    engine.OnStepDone = [&](const StepReport& step) {
        steps.push_back(step);
        QTimer::singleShot(50ms, &engine, [&] { engine.Abort(); });
    };
    const auto started = std::chrono::steady_clock::now();
    const RunEnd end = RunToEnd(Request(Languages({ "French" }), true));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 450ms);
    EXPECT_EQ(end.kind, RunEndKind::Aborted);
    EXPECT_EQ(end.StatusText(), "Ready.  Aborted.");
    QTest::qWait(600);
    EXPECT_EQ(service.RequestCount(), 1u);
    EXPECT_EQ(ends.size(), 1u);
}

TEST_F(EngineEnding, ThePauseHoldsTheNextRequestBackHalfASecond)
{
    std::chrono::steady_clock::time_point firstStepEnded;
    engine.OnStepDone = [&](const StepReport& step) {
        if (steps.empty())
            firstStepEnded = std::chrono::steady_clock::now();
        steps.push_back(step);
    };
    RunToEnd(Request(Languages({ "French" }), true));
    const auto arrivals = service.ArrivalTimes();
    ASSERT_EQ(arrivals.size(), 2u);
    EXPECT_GE(arrivals[1] - firstStepEnded, 500ms);
    EXPECT_EQ(steps.size(), 2u);
}

TEST_F(EngineEnding, WaitTimeOutEndsTheRunAndTheLateReplyIsUnexpected)
{
    StartHeld(Request(Languages({ "French" })));
    bool terminate = true;
    engine.Component()->OnWaitTimeoutExpired(engine.Component(), terminate);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].kind, RunEndKind::TimedOut);
    EXPECT_EQ(ends[0].StatusText(), "Ready.  Error: Timeout Expired.");
    service.ReleaseHeld();
    ASSERT_TRUE(WaitUntil([&] { return ends.size() == 2; }));
    EXPECT_EQ(ends[1].kind, RunEndKind::UnexpectedReply);
    EXPECT_EQ(ends[1].StatusText(), "Ready.  Error: Unexpected reply after abort.");
    QTest::qWait(100);
    EXPECT_EQ(service.RequestCount(), 1u);
}
