// Every way a run ends or is refused, and what happens when the user or the
// component acts while a request is outstanding.
#include "tests/app/RunFixture.h"
#include "tests/support/PlanTexts.h"

class RunEnding : public RunFixture {
protected:
    // Holds every reply and starts the run; returns once the first request
    // has reached the service.
    void StartHeld()
    {
        service.HoldReplies(true);
        Click("ButtonTranslate");
        ASSERT_TRUE(WaitForRequests(1));
    }

    // Lets the held replies go until the service has seen count requests.
    void ReleaseUntil(std::size_t count)
    {
        while (service.RequestCount() < count) {
            const std::size_t seen = service.RequestCount();
            service.ReleaseHeld();
            ASSERT_TRUE(WaitForRequests(seen + 1));
        }
    }

    void RaiseTimeout()
    {
        bool terminate = true;
        form->achtp->OnWaitTimeoutExpired(form->achtp, terminate);
        EXPECT_TRUE(terminate);
    }
};

TEST_F(RunEnding, EmptyInputShowsTheMessageBoxAndPlainReady)
{
    Tick("French");
    Widget<TMemo>("MemoDebugInfo").SetText("old debug text");
    Widget<TMemo>("TranslatedTextMemo").SetText("old output");
    RunToEnd();
    EXPECT_EQ(messages, (Lines { "Please type some text in to translate first." }));
    EXPECT_EQ(Status(), "Ready.");
    EXPECT_EQ(Widget<TMemo>("MemoDebugInfo").Text(), "");
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Text(), "");
    EXPECT_EQ(service.RequestCount(), 0u);
    EXPECT_EQ(form->Run().runEngine->Step(), -1);
}

TEST_F(RunEnding, NothingTickedEndsWithTheLanguagesMessage)
{
    Type("Hello");
    RunToEnd();
    EXPECT_EQ(Status(), "Ready.  Error: please specify some languages to translate.");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(service.RequestCount(), 0u);
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Text(), "Hello\r\n");
}

TEST_F(RunEnding, ReplyWithoutTextStopsAtOnceAndKeepsWhatMarkersShowed)
{
    TypeHelloTickFrenchAndGerman();
    Click("CheckBoxShowEach");
    service.SetResponder([](const ServiceRequest& request, int index) {
        if (index == 2)
            return ServiceReply { 200, standin::ReplyPage({ "" }) };
        return standin::TranslationReply(request);
    });
    RunToEnd();
    EXPECT_EQ(service.RequestCount(), 3u);
    EXPECT_EQ(Status(), "Ready.  Error: improper result translation on result page (type 4).");
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Lines(),
        (Lines { "Hello", "", Equals(), "en:fr:Hello", "", Equals(),
            "Stopped at step 4 of 6 (English \u2192 German)." }));
}

TEST_F(RunEnding, RefusedTextEndsWithTheRefusalMessage)
{
    Type("Hello");
    Tick("French");
    service.SetResponder([](const ServiceRequest&, int) {
        return ServiceReply { 200,
            "<html>Translate Sorry, this text cannot be translated <span id=result_box></html>" };
    });
    RunToEnd();
    EXPECT_EQ(service.RequestCount(), 1u);
    EXPECT_EQ(Status(), "Ready.  Error: text could not be translated sensibly.");
}

TEST_F(RunEnding, NotFoundEndsWithError)
{
    TypeHelloTickFrenchAndGerman();
    service.SetResponder([](const ServiceRequest& request, int index) {
        if (index == 1)
            return ServiceReply { 404, "<html>Not here</html>" };
        return standin::TranslationReply(request);
    });
    RunToEnd();
    EXPECT_EQ(service.RequestCount(), 2u);
    EXPECT_EQ(
        Status(), "Ready.  Error. French \u2192 English: the service answered 404 Not Found.");
    EXPECT_EQ(form->Run().runEngine->Step(), -1);
}

TEST_F(RunEnding, NoServiceListeningEndsWithError)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    form->achtp->URL = "http://127.0.0.1:" + std::to_string(closed.serverPort());
    closed.close();
    Type("Hello");
    Tick("French");
    RunToEnd();
    EXPECT_EQ(
        Status(), "Ready.  Error. No translation service answers at " + form->achtp->URL + ".");
}

TEST_F(RunEnding, AbortWhileARequestIsOutstandingEndsWithAborted)
{
    TypeHelloTickFrenchAndGerman();
    Click("CheckBoxShowEach");
    StartHeld();
    ReleaseUntil(3);
    Click("ButtonStop");
    EXPECT_FALSE(Idle());
    service.ReleaseHeld();
    ASSERT_TRUE(WaitUntil([&] { return Idle(); }));
    EXPECT_EQ(Status(), "Ready.  Aborted.");
    EXPECT_EQ(service.RequestCount(), 3u);
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Lines(),
        (Lines { "Hello", "", Equals(), "en:fr:Hello", "", Equals(),
            "Aborted at step 4 of 6 (English \u2192 German)." }));
}

// Four hops and no markers: what the first two reached stays in the output
// under the line that says where the run stopped, whether Abort or a
// failure stopped it, and Autocopy copies what is shown.
TEST_F(RunEnding, AStopAtTheThirdOfFourHopsKeepsTheTextReached)
{
    TypeHelloTickFrenchAndGerman();
    Click("CheckBoxAutoCopyClipboard");
    const auto expected = [&](const std::string& how) {
        return Lines { "Hello", "", Equals(),
            how + " at step 3 of 4 (English \u2192 German). The text reached before it:",
            "en:fr:Hello" };
    };
    StartHeld();
    ReleaseUntil(3);
    Click("ButtonStop");
    service.ReleaseHeld();
    ASSERT_TRUE(WaitUntil([&] { return Idle(); }));
    EXPECT_EQ(Status(), "Ready.  Aborted.");
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Lines(), expected("Aborted"));
    EXPECT_EQ(platform::ClipboardText(), Widget<TMemo>("TranslatedTextMemo").Text());

    service.HoldReplies(false);
    service.SetResponder([](const ServiceRequest& request, int index) {
        return index == 5 ? ServiceReply { 500, "" } : standin::TranslationReply(request);
    });
    RunToEnd();
    EXPECT_EQ(Status(),
        "Ready.  Error. English \u2192 German: the service answered 500 Internal Server Error.");
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Lines(), expected("Stopped"));
}

TEST_F(RunEnding, AbortWhenTheReplyArrivesAnywayStopsAtTheNextMarker)
{
    TypeHelloTickFrenchAndGerman();
    Click("CheckBoxShowEach");
    Click("CheckBoxAutoCopyClipboard");
    // The component has finished its transfer when Abort is pressed, so the
    // abort has nothing left to stop and the reply comes in as usual.
    const auto done = form->achtp->OnDone;
    bool pressed = false;
    form->achtp->OnDone = [&](auto... arguments) {
        if (!pressed) {
            pressed = true;
            Click("ButtonStop");
        }
        done(arguments...);
    };
    RunToEnd();
    EXPECT_EQ(service.RequestCount(), 2u);
    EXPECT_EQ(Status(), "Ready.");
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Lines(),
        (Lines { "Hello", "", Equals(), "en:fr:Hello" }));
    EXPECT_EQ(platform::ClipboardText(), Widget<TMemo>("TranslatedTextMemo").Text());
}

TEST_F(RunEnding, AbortThatTakesNoEffectInAPlanWithoutMarkersRunsToTheEnd)
{
    TypeHelloTickFrenchAndGerman();
    const auto done = form->achtp->OnDone;
    bool pressed = false;
    form->achtp->OnDone = [&](auto... arguments) {
        if (!pressed) {
            pressed = true;
            Click("ButtonStop");
        }
        done(arguments...);
    };
    RunToEnd();
    EXPECT_EQ(service.RequestCount(), 4u);
    EXPECT_EQ(Status(), "Ready.");
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Lines().back(), "en:de:en:fr:Hello");
}

TEST_F(RunEnding, CompletionAfterTheRunEndedIsReportedAndIgnored)
{
    Type("Hello");
    Tick("French");
    RunToEnd();
    const std::string output = Widget<TMemo>("TranslatedTextMemo").Text();
    Raise(form->achtp->OnDone);
    EXPECT_EQ(Status(), "Ready.  Error: Unexpected reply after abort.");
    QTest::qWait(100);
    EXPECT_EQ(service.RequestCount(), 2u);
    EXPECT_TRUE(Idle());
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Text(), output);
}

TEST_F(RunEnding, WaitTimeOutEndsTheRunAndTheLateReplyIsIgnored)
{
    TypeHelloTickFrenchAndGerman();
    StartHeld();
    RaiseTimeout();
    EXPECT_EQ(Status(), "Ready.  Error: Timeout Expired.");
    EXPECT_TRUE(Idle());
    service.ReleaseHeld();
    ASSERT_TRUE(WaitUntil([&] { return Status() != "Ready.  Error: Timeout Expired."; }));
    EXPECT_EQ(Status(), "Ready.  Error: Unexpected reply after abort.");
    QTest::qWait(100);
    EXPECT_EQ(service.RequestCount(), 1u);
}

TEST_F(RunEnding, StartingWhileThePreviousTransferIsBusyCannotReachTheService)
{
    TypeHelloTickFrenchAndGerman();
    StartHeld();
    Raise(form->achtp->OnAnyError);
    EXPECT_EQ(Status(), "Ready.  Error.");
    Click("ButtonTranslate");
    EXPECT_EQ(Status(), "Ready.  Error: could not reach translation url.");
    EXPECT_TRUE(Idle());
    EXPECT_EQ(service.RequestCount(), 1u);
    service.ReleaseHeld();
    ASSERT_TRUE(
        WaitUntil([&] { return Status() == "Ready.  Error: Unexpected reply after abort."; }));
}

TEST_F(RunEnding, EventsWhileIdleEachShowTheirMessage)
{
    Raise(form->achtp->OnAnyError);
    EXPECT_EQ(Status(), "Ready.  Error.");
    Raise(form->achtp->OnAborted);
    EXPECT_EQ(Status(), "Ready.  Aborted.");
    RaiseTimeout();
    EXPECT_EQ(Status(), "Ready.  Error: Timeout Expired.");
    EXPECT_TRUE(Idle());
    EXPECT_EQ(form->Run().StatusMessage, "");
}

TEST_F(RunEnding, OnlyAbortIsEnabledWhileARequestIsOutstanding)
{
    TypeHelloTickFrenchAndGerman();
    StartHeld();
    EXPECT_FALSE(Widget<QPushButton>("ButtonTranslate").isEnabled());
    EXPECT_TRUE(Widget<QPushButton>("ButtonStop").isEnabled());
    Click("ButtonTranslate");
    QTest::qWait(50);
    EXPECT_EQ(service.RequestCount(), 1u);
    service.HoldReplies(false);
    service.ReleaseHeld();
    ASSERT_TRUE(WaitUntil([&] { return Idle(); }));
    EXPECT_EQ(Status(), "Ready.");
}

class RunEdits : public RunEnding {
protected:
    // Reset After Each with markers: the text starts afresh after French.
    void StartWithResets()
    {
        TypeHelloTickFrenchAndGerman();
        Click("CheckBoxShowEach");
        Click("CheckBoxResetAfterEach");
        StartHeld();
        ReleaseUntil(2);
    }

    void FinishHeld()
    {
        service.HoldReplies(false);
        service.ReleaseHeld();
        ASSERT_TRUE(WaitUntil([&] { return Idle(); }));
    }
};

TEST_F(RunEdits, ResetAfterEachStartsTheNextLanguageFromTheInput)
{
    StartWithResets();
    FinishHeld();
    EXPECT_EQ(RequestTexts(), (Lines { "Hello\r\n", "fr:Hello", "Hello\r\n", "de:Hello" }));
    EXPECT_EQ(Widget<TMemo>("TranslatedTextMemo").Lines(),
        (Lines { "Hello", "", Equals(), "en:fr:Hello", "", Equals(), "en:de:Hello" }));
}

TEST_F(RunEdits, InputEditedDuringTheRunIsTakenAtTheNextReset)
{
    StartWithResets();
    Widget<TMemo>("OriginalTextMemo").selectAll();
    QTest::keyClicks(&Widget<TMemo>("OriginalTextMemo"), QStringLiteral("Changed"));
    FinishHeld();
    EXPECT_EQ(RequestTexts()[2], "Changed\r\n");
    EXPECT_EQ(
        PlanTexts(form->Run().Plan), (Lines { "en|fr", "fr|en", "-", "en|de", "de|en", "-" }));
}

TEST_F(RunEdits, InputEmptiedDuringTheRunMakesAnEmptyRequestText)
{
    StartWithResets();
    Widget<TMemo>("OriginalTextMemo").Clear();
    FinishHeld();
    ASSERT_GE(RequestTexts().size(), 3u);
    EXPECT_EQ(RequestTexts()[2], "");
}

TEST_F(RunEdits, ForeignChainingTickedDuringTheRunStopsTheResetButNotThePlan)
{
    StartWithResets();
    Click("CheckBoxAdvancedChaining");
    FinishHeld();
    EXPECT_EQ(RequestTexts()[2], "en:fr:Hello");
    EXPECT_EQ(RequestedSteps(), (Lines { "en|fr", "fr|en", "en|de", "de|en" }));
}

TEST_F(RunEdits, ResetTickedDuringTheRunTakesEffectAtTheNextMarker)
{
    TypeHelloTickFrenchAndGerman();
    Click("CheckBoxShowEach");
    StartHeld();
    ReleaseUntil(2);
    Click("CheckBoxResetAfterEach");
    FinishHeld();
    EXPECT_EQ(RequestTexts()[2], "Hello\r\n");
    EXPECT_EQ(RequestedSteps(), (Lines { "en|fr", "fr|en", "en|de", "de|en" }));
}

TEST_F(RunEdits, ResetUntickedDuringTheRunLetsTheTextCarryOn)
{
    StartWithResets();
    Click("CheckBoxResetAfterEach");
    FinishHeld();
    EXPECT_EQ(RequestTexts()[2], "en:fr:Hello");
}
