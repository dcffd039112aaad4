// Whole runs through the window against the stand-in service: the plans run
// in order, the status texts, the output memo, the clipboard, the requests
// and the debug memo's blocks.
#include "tests/app/RunFixture.h"
#include "tests/support/PlanTexts.h"
#include "text/MemoLines.h"

#include <QFile>
#include <chrono>

struct WorkedPlan {
    const char* name;
    std::vector<const char*> boxes; // option boxes clicked before the run
    const char* loops;
    std::vector<std::string> plan;
    std::string route;
};

void PrintTo(const WorkedPlan& plan, std::ostream* out)
{
    *out << plan.name;
}

class RunWorkedPlan : public RunFixture, public testing::WithParamInterface<WorkedPlan> { };

TEST_P(RunWorkedPlan, RequestsFollowThePlanInOrder)
{
    const WorkedPlan& worked = GetParam();
    TypeHelloTickFrenchAndGerman();
    for (const char* box : worked.boxes)
        Click(box);
    SetLoops(worked.loops);
    RunToEnd();

    EXPECT_EQ(PlanTexts(form->Run().Plan), worked.plan);
    EXPECT_EQ(form->Run().PlanCount, static_cast<int>(worked.plan.size()));
    EXPECT_EQ(form->Run().Route, worked.route);
    std::vector<std::string> steps;
    for (const std::string& entry : worked.plan)
        if (entry != "-")
            steps.push_back(entry);
    EXPECT_EQ(RequestedSteps(), steps);
    EXPECT_EQ(Status(), "Ready.");
}

INSTANTIATE_TEST_SUITE_P(FrenchAndGermanFromEnglish, RunWorkedPlan,
    testing::Values(WorkedPlan { "NoOption", {}, "1", { "en|fr", "fr|en", "en|de", "de|en" },
                        "French->German" },
        WorkedPlan { "ShowEachStep", { "CheckBoxShowEach" }, "1",
            { "en|fr", "fr|en", "-", "en|de", "de|en", "-" }, "French->German" },
        WorkedPlan { "ForeignChaining", { "CheckBoxAdvancedChaining" }, "1",
            { "en|fr", "fr|de", "de|en" }, "French->German" },
        WorkedPlan { "ForeignChainingShowEachStep",
            { "CheckBoxAdvancedChaining", "CheckBoxShowEach" }, "1",
            { "en|fr", "-", "fr|de", "-", "de|en", "-" }, "French->German" },
        WorkedPlan { "ReverseOrder", { "CheckBoxReverseOrder" }, "1",
            { "en|de", "de|en", "en|fr", "fr|en" }, "German->French" },
        WorkedPlan { "LoopsTwo", {}, "2",
            { "en|fr", "fr|en", "en|de", "de|en", "en|fr", "fr|en", "en|de", "de|en" },
            "French->German->French->German" },
        WorkedPlan { "LoopsTwoResetAfterEach", { "CheckBoxResetAfterEach" }, "2",
            { "en|fr", "fr|en", "en|fr", "fr|en", "en|de", "de|en", "en|de", "de|en" },
            "French->French->German->German" },
        WorkedPlan { "LoopsTwoResetAfterEachShowEachStep",
            { "CheckBoxResetAfterEach", "CheckBoxShowEach" }, "2",
            { "en|fr", "fr|en", "en|fr", "fr|en", "-", "en|de", "de|en", "en|de", "de|en", "-" },
            "French->French->German->German" },
        WorkedPlan { "LoopsTwoForeignChaining", { "CheckBoxAdvancedChaining" }, "2",
            { "en|fr", "fr|de", "de|fr", "fr|de", "de|en" }, "French->German->French->German" },
        WorkedPlan { "LoopsTwoForeignChainingResetAfterEach",
            { "CheckBoxAdvancedChaining", "CheckBoxResetAfterEach" }, "2",
            { "en|fr", "fr|de", "de|en", "en|fr", "fr|de", "de|en" },
            "French->German->French->German" },
        WorkedPlan { "LoopsZeroCountsAsOne", {}, "0", { "en|fr", "fr|en", "en|de", "de|en" },
            "French->German" }),
    [](const testing::TestParamInfo<WorkedPlan>& info) { return std::string(info.param.name); });

class Run : public RunFixture { };

TEST_F(Run, StatusBarNumbersEachRequestByItsPlaceInThePlanMarkersIncluded)
{
    TypeHelloTickFrenchAndGerman();
    Click("CheckBoxShowEach");
    service.HoldReplies(true);
    Click("ButtonTranslate");
    const std::vector<std::string> expected { "Translating 1 [en|fr] ...",
        "Translating 2 [fr|en] ...", "Translating 4 [en|de] ...", "Translating 5 [de|en] ..." };
    for (std::size_t step = 0; step < expected.size(); ++step) {
        ASSERT_TRUE(WaitForRequests(step + 1));
        EXPECT_EQ(Status(), expected[step]);
        EXPECT_FALSE(Widget<QPushButton>("ButtonTranslate").isEnabled());
        EXPECT_TRUE(Widget<QPushButton>("ButtonStop").isEnabled());
        service.ReleaseHeld();
    }
    ASSERT_TRUE(WaitUntil([&] { return Idle(); }));
    EXPECT_EQ(Status(), "Ready.");
    EXPECT_EQ(service.RequestCount(), 4u);
}

TEST_F(Run, MarkersFillTheOutputMemoWithTheOriginalAndEachResult)
{
    TypeHelloTickFrenchAndGerman();
    Click("CheckBoxShowEach");
    RunToEnd();
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Lines(),
        (Lines { "Hello", "", Equals(), "en:fr:Hello", "", Equals(), "en:de:en:fr:Hello" }));
}

TEST_F(Run, EndingAtAMarkerCopiesTheWholeOutputMemo)
{
    TypeHelloTickFrenchAndGerman();
    Click("CheckBoxShowEach");
    Click("CheckBoxAutoCopyClipboard");
    RunToEnd();
    EXPECT_EQ(platform::ClipboardText(), Widget<TMemo>("TranslatedTextMemo").Text());
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Lines().back(), "en:de:en:fr:Hello");
    EXPECT_EQ(beeps, 1);
}

TEST_F(Run, PlanWithoutMarkersShowsInputSeparatorAndFinalTextAndCopiesOnlyTheFinalText)
{
    TypeHelloTickFrenchAndGerman();
    Click("CheckBoxAutoCopyClipboard");
    RunToEnd();
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Text(),
        "Hello\r\n\r\n" + Equals() + "\r\nen:de:en:fr:Hello\r\n");
    EXPECT_EQ(platform::ClipboardText(), "en:de:en:fr:Hello");
    EXPECT_EQ(beeps, 1);
}

TEST_F(Run, WithoutShowOriginalTheOutputMemoHoldsOnlyTheFinalText)
{
    TypeHelloTickFrenchAndGerman();
    Click("CheckBoxShowOriginalInOutput");
    RunToEnd();
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Lines(), (Lines { "en:de:en:fr:Hello" }));
}

TEST_F(Run, WithoutShowOriginalTheFirstMarkerAddsNoSeparator)
{
    TypeHelloTickFrenchAndGerman();
    Click("CheckBoxShowOriginalInOutput");
    Click("CheckBoxShowEach");
    RunToEnd();
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Lines(),
        (Lines { "en:fr:Hello", "", Equals(), "en:de:en:fr:Hello" }));
}

TEST_F(Run, WithoutAutocopyTheClipboardIsLeftAloneAndNothingBeeps)
{
    TypeHelloTickFrenchAndGerman();
    RunToEnd();
    EXPECT_EQ(platform::ClipboardText(), "clipboard before the run");
    EXPECT_EQ(beeps, 0);
}

TEST_F(Run, EachRequestCarriesTheTextReachedSoFar)
{
    TypeHelloTickFrenchAndGerman();
    RunToEnd();
    EXPECT_EQ(RequestTexts(), (Lines { "Hello\r\n", "fr:Hello", "en:fr:Hello", "de:en:fr:Hello" }));
}

TEST_F(Run, RequestBodyHoldsTheFormFieldsInOrder)
{
    Type("a & b=c");
    Tick("French");
    RunToEnd();
    const std::vector<ServiceRequest> requests = service.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].fields.at("text"), "a & b=c\r\n");
    const std::string& body = requests[0].body;
    EXPECT_EQ(
        body.rfind("sl=en&tl=fr&hl=en&ie=UTF-8&oe=UTF-8&prev=_t&js=n&submit=Translate&text=", 0),
        0u)
        << body;
}

TEST_F(Run, RequestsArePostsWithTheDesignedHeaders)
{
    Type("Hello");
    Tick("French");
    RunToEnd();
    const std::vector<ServiceRequest> requests = service.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const ServiceRequest& request : requests) {
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.target, "/");
        const QByteArray headers = QByteArray::fromStdString(request.headers).toLower();
        EXPECT_TRUE(
            headers.contains("user-agent: mozilla/4.0 (compatible; msie 6.0; windows nt 5.1)"))
            << request.headers;
        EXPECT_TRUE(headers.contains("referer: http://localhost:8787/language_tools"))
            << request.headers;
        EXPECT_TRUE(headers.contains("content-type: application/x-www-form-urlencoded"))
            << request.headers;
    }
}

TEST_F(Run, ReplyPageIsKeptInTheCurrentFolderAfterTheRun)
{
    Type("Hello");
    Tick("French");
    RunToEnd();
    QFile reply(platform::ToQString(folder.File("translator_replypage.htm")));
    ASSERT_TRUE(reply.open(QIODevice::ReadOnly));
    EXPECT_TRUE(reply.readAll().contains("en:fr:Hello"));
}

TEST_F(Run, DebugMemoHoldsARequestBlockAndTwoReplyBlocksPerStep)
{
    Type("Hello");
    Tick("French");
    Widget<TMemo>("MemoDebugInfo").SetText("left from before");
    RunToEnd();
    const std::string dashes30(30, '-');
    const std::string dashes78(78, '-');
    const std::string stars39(39, '*');
    const auto requestBlock = [&](const std::string& entry, const std::string& text) {
        return "\n" + dashes30 + " TRANSLATING: " + entry + " " + dashes30 + "  \n:" + text + "\n"
            + dashes78 + "  \n:";
    };
    const auto replyBlocks = [&](const std::string& text) {
        return "\n************ RAW REPLY ***************\n" + text + "\n" + stars39
            + "\n\n************FIXED REPLY ***************\n" + text + "\n" + stars39 + "\n";
    };
    std::string expected;
    for (const std::string& block : { requestBlock("en|fr", "Hello\r\n"), replyBlocks("fr:Hello"),
             requestBlock("fr|en", "fr:Hello"), replyBlocks("en:fr:Hello") })
        expected = text::JoinMemoLines(text::SplitMemoText(expected + block));
    EXPECT_EQ(Widget<TMemo>("MemoDebugInfo").Text(), expected);
}

TEST_F(Run, PlanRouteAndMemosStayAfterTheRun)
{
    TypeHelloTickFrenchAndGerman();
    RunToEnd();
    const std::string output = Widget<TMemo>("TranslatedTextMemo").Text();
    const std::string debug = Widget<TMemo>("MemoDebugInfo").Text();
    QTest::qWait(50);
    EXPECT_EQ(form->Run().PlanCount, 4);
    EXPECT_EQ(form->Run().Route, "French->German");
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Text(), output);
    EXPECT_EQ(Widget<TMemo>("MemoDebugInfo").Text(), debug);
    EXPECT_EQ(Widget<TMemo>("OriginalTextMemo").Text(), "Hello\r\n");
}

TEST_F(Run, MultiLineInputKeepsItsLineBreaks)
{
    Widget<TMemo>("OriginalTextMemo").SetText("one\ntwo");
    Tick("French");
    RunToEnd();
    EXPECT_EQ(RequestTexts().front(), "one\r\ntwo\r\n");
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Lines(),
        (Lines { "one", "two", "", Equals(), "en:fr:one", "two" }));
}

TEST_F(Run, TranslatingTwiceStartsAfresh)
{
    TypeHelloTickFrenchAndGerman();
    Click("CheckBoxShowEach");
    RunToEnd();
    RunToEnd();
    EXPECT_EQ(service.RequestCount(), 8u);
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Lines(),
        (Lines { "Hello", "", Equals(), "en:fr:Hello", "", Equals(), "en:de:en:fr:Hello" }));
    const std::vector<std::string> texts = RequestTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Hello\r\n"), 2);
}

TEST_F(Run, PauseBetweenCallsWaitsHalfASecondBeforeTheNextRequest)
{
    Type("Hello");
    Tick("French");
    Click("CheckBoxPause");
    ASSERT_TRUE(Widget<QCheckBox>("CheckBoxPause").isChecked());
    RunToEnd();
    const auto arrivals = service.ArrivalTimes();
    ASSERT_EQ(arrivals.size(), 2u);
    EXPECT_GE(arrivals[1] - arrivals[0], std::chrono::milliseconds(500));
}

TEST_F(Run, WithoutPauseTheNextRequestFollowsAtOnce)
{
    Type("Hello");
    Tick("French");
    Tick("German");
    RunToEnd();
    const auto arrivals = service.ArrivalTimes();
    ASSERT_EQ(arrivals.size(), 4u);
    EXPECT_LT(arrivals[3] - arrivals[0], std::chrono::milliseconds(1500));
}
