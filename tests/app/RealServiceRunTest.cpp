// The window against the real translation service of the build, with its
// real engine: the service's language pairs must be installed (the set-up
// script installs them), and their absence fails these tests.
#include "app/ComboBox.h"
#include "app/ReachableLanguages.h"
#include "run/ServiceStarter.h"

#include "tests/app/RunFixture.h"
#include "tests/support/ProgramRecorder.h"
#include "tests/support/RealService.h"
#include "tests/support/TestHttpServer.h"

#include <QFileInfo>

namespace {

// Within the test's own time limit, so that a stuck run fails here.
const int RunTimeLimit = 45000;
const char* const InputText = "The old man walks his dog in the park every morning.\n"
                              "My brother reads a good book.";

std::string ServiceFolder()
{
    return QFileInfo(QStringLiteral(SERVICE_PROGRAM)).absolutePath().toStdString() + "/";
}

} // namespace

class RealService : public RunFixture {
protected:
    void StartServiceOn(std::uint16_t port)
    {
        ASSERT_TRUE(service.StartOn(QStringLiteral(SERVICE_PROGRAM), port)) << SERVICE_PROGRAM;
    }

    void RunToTheEnd()
    {
        Click("ButtonTranslate");
        ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, RunTimeLimit)) << Status();
    }

    // The output memo holds the input, the separator and the final text.
    void ExpectATranslatedText()
    {
        const Lines output = Widget<TMemo>("TranslatedTextMemo").Lines();
        ASSERT_EQ(output.size(), 6u) << Widget<TMemo>("TranslatedTextMemo").Text();
        EXPECT_EQ(output[3], Equals());
        const Lines result(output.begin() + 4, output.end());
        EXPECT_EQ(
            Widget<TMemo>("OriginalTextMemo").Lines(), Lines(output.begin(), output.begin() + 2));
        EXPECT_NE(result, Lines(output.begin(), output.begin() + 2));
        for (const std::string& line : result) {
            EXPECT_FALSE(line.empty());
            EXPECT_EQ(line.find_first_of("*#@"), std::string::npos) << line;
        }
    }

    // The window's starter looks after url and finds the service in the
    // build's folder.
    void UseStarterFor(const std::string& url)
    {
        delete form->serviceStarter;
        form->serviceStarter = new ServiceStarter(ServiceFolder(), form.get(), url);
        form->serviceStarter->WaitLimit = std::chrono::seconds(10);
        form->achtp->URL = url;
    }

    ServiceProcess service;
};

TEST_F(RealService, FrenchAndSpanishRoundTripsEndReadyWithATranslatedText)
{
    const std::uint16_t port = FreePort();
    StartServiceOn(port);
    ExpectOfflineTargets(port, { "fr", "es" });
    form->achtp->URL = "http://127.0.0.1:" + std::to_string(port);
    Widget<TMemo>("OriginalTextMemo").SetText(InputText);
    Tick("French");
    Tick("Spanish");
    RunToTheEnd();
    EXPECT_EQ(Status(), "Ready.");
    ExpectATranslatedText();
}

// The window's own start of the service, carried out for real: the service
// it starts serves its first run, and what the service prints shows nowhere.
TEST_F(RealService, TheWindowStartsTheServiceWhenNothingAnswers)
{
    const std::uint16_t port = FreePort();
    const std::string url = "http://localhost:" + std::to_string(port);
    ProgramRecorder programs(ProgramRecorder::ForReal);
    UseStarterFor(url);
    Widget<TMemo>("OriginalTextMemo").SetText(InputText);
    Tick("Spanish");
    RunToTheEnd();
    EXPECT_EQ(programs.commands.size(), 1u);
    EXPECT_EQ(Status(), "Ready.");
    ExpectATranslatedText();
    ExpectOfflineTargets(port, { "es" });
    EXPECT_EQ(Widget<TMemo>("MemoDebugInfo").Text().find("tornalo-service:"), std::string::npos);
}

// A new user's first minutes: the window brings its service up on its own
// and greys what it cannot reach before anything is pressed; a run through
// a reachable and an unreachable language names the one that failed and
// keeps what the other gave.
TEST_F(RealService, OpeningTheWindowStartsTheServiceAndARunNamesTheLanguageItCannotReach)
{
    const std::uint16_t port = FreePort();
    ProgramRecorder programs(ProgramRecorder::ForReal);
    UseStarterFor("http://localhost:" + std::to_string(port));
    form->WatchServiceLanguages();
    ASSERT_TRUE(QTest::qWaitFor([&] { return programs.commands.size() == 1u; }, 2000));
    const int german = FindLanguageRow("German");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Widget<TCheckListBox>("CheckListBoxLangs").Greyed(german); }, 20000));
    EXPECT_FALSE(Widget<TCheckListBox>("CheckListBoxLangs").Greyed(FindLanguageRow("French")));
    EXPECT_TRUE(Widget<TMemo>("MemoDebugInfo").IsEmpty());
    Widget<TMemo>("OriginalTextMemo").SetText(InputText);
    Tick("French");
    Tick("German");
    RunToTheEnd();
    EXPECT_EQ(Status(),
        "Ready.  Error: text could not be translated sensibly. English \u2192 German: no "
        "translation engine here reaches German.");
    const Lines output = Widget<TMemo>("TranslatedTextMemo").Lines();
    ASSERT_EQ(output.size(), 7u) << Widget<TMemo>("TranslatedTextMemo").Text();
    EXPECT_EQ(
        output[4], "Stopped at step 3 of 4 (English \u2192 German). The text reached before it:");
    EXPECT_NE(output[5], output[0]);
    EXPECT_NE(
        Widget<TMemo>("MemoDebugInfo").Text().find("no translation engine here reaches German"),
        std::string::npos);
    EXPECT_NE(
        Widget<TMemo>("MemoDebugInfo").Text().find("Route: English \u2192 Spanish \u2192 French"),
        std::string::npos);
}

// A port held by something that takes connections and never answers: the
// service that the window starts cannot listen, and says so.
TEST_F(RealService, AServiceThatCannotListenLeavesItsReasonInTheDebugMemo)
{
    TestHttpServer holder;
    ScriptedResponse silence;
    silence.silent = true;
    holder.Respond(silence);
    ProgramRecorder programs(ProgramRecorder::ForReal);
    UseStarterFor(holder.Url());
    Widget<TMemo>("OriginalTextMemo").SetText(InputText);
    Tick("Spanish");
    RunToTheEnd();
    EXPECT_EQ(programs.commands.size(), 1u);
    EXPECT_EQ(
        Status(), "Ready.  Error: the translation service did not start; see Debug Information.");
    const std::string debug = Widget<TMemo>("MemoDebugInfo").Text();
    EXPECT_NE(
        debug.find("tornalo-service: cannot listen on 127.0.0.1:" + std::to_string(holder.Port())),
        std::string::npos)
        << debug;
}

TEST_F(RealService, ATextOverTheServicesLimitEndsWithTheMessage)
{
    const std::uint16_t port = FreePort();
    StartServiceOn(port);
    form->achtp->URL = "http://127.0.0.1:" + std::to_string(port);
    std::string text;
    while (text.size() <= 1024 * 1024)
        text += "The old man walks his dog in the park every morning.\n";
    Widget<TMemo>("OriginalTextMemo").SetText(text);
    Tick("Spanish");
    RunToTheEnd();
    EXPECT_EQ(Status(), "Ready.  Error: the text is too long for the translation service.");
}

// The marks follow the home language: from English, Bulgarian and Spanish
// go out and back offline and German does not; from German, nothing does.
TEST_F(RealService, TheChecklistGreysWhatTheServiceCannotReach)
{
    const std::uint16_t port = FreePort();
    StartServiceOn(port);
    form->achtp->URL = "http://127.0.0.1:" + std::to_string(port);
    form->WatchServiceLanguages();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Run().reachableLanguages->Known(); }, 5000));
    const TCheckListBox& list = Widget<TCheckListBox>("CheckListBoxLangs");
    EXPECT_FALSE(list.Greyed(FindLanguageRow("Bulgarian")));
    EXPECT_FALSE(list.Greyed(FindLanguageRow("Spanish")));
    EXPECT_TRUE(list.Greyed(FindLanguageRow("German")));
    EXPECT_TRUE(
        list.item(FindLanguageRow("German"))->toolTip().contains(QStringLiteral("LibreTranslate")));
    Widget<TComboBox>("ComboBoxHomeLanguage").SetItemIndex(FindLanguageRow("German"));
    EXPECT_TRUE(list.Greyed(FindLanguageRow("Spanish")));
}
