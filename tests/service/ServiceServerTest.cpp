#include "service/ApertiumEngine.h"
#include "service/TextLines.h"

#include "FakeModes.h"
#include "ServiceTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>

using namespace std::chrono_literals;
using service::ApertiumEngine;
using service::ApertiumSettings;
using service::TranslationService;
using service_test::ExtractFromPage;
using service_test::RunningService;

namespace {

const std::string TwoLines = "The old man walks to the market every morning.\r\n"
                             "My sister reads a good book in the garden.";

// The service with the installed Apertium pairs, shared by the tests of one
// fixture so that its pipelines start once.
class RealEngine : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ownModes = new TemporaryFolder;
        ApertiumSettings settings;
        settings.ownModesFolder = ownModes->Path();
        engine = new ApertiumEngine(settings);
        translation = new TranslationService({ engine });
        running = new RunningService(*translation);
    }
    static void TearDownTestSuite()
    {
        delete running;
        delete translation;
        delete engine;
        delete ownModes;
    }

    // One hop through the service, read by the program's own extraction.
    static std::string Hop(const std::string& from, const std::string& to, const std::string& text)
    {
        const auto reply = running->Post(from, to, text);
        if (!reply || reply->status != 200)
            return "(no reply)";
        const auto extraction = ExtractFromPage(reply->body);
        return extraction.statusMessage.empty() ? extraction.text : extraction.statusMessage;
    }

    static void ExpectGoodTranslation(const std::string& translated, const std::string& original)
    {
        EXPECT_FALSE(translated.empty());
        EXPECT_NE(translated, service::JoinLines(service::SplitLines(original)));
        EXPECT_EQ(service::SplitLines(translated).size(), service::SplitLines(original).size())
            << translated;
        EXPECT_EQ(translated.find_first_of("*#@"), std::string::npos) << translated;
        EXPECT_EQ(translated.find("Error:"), std::string::npos) << translated;
    }

    void RoundTrip(const std::string& language)
    {
        const std::string there = Hop("en", language, TwoLines);
        ExpectGoodTranslation(there, TwoLines);
        const std::string back = Hop(language, "en", there);
        ExpectGoodTranslation(back, TwoLines);
    }

    static TemporaryFolder* ownModes;
    static ApertiumEngine* engine;
    static TranslationService* translation;
    static RunningService* running;
};

TemporaryFolder* RealEngine::ownModes = nullptr;
ApertiumEngine* RealEngine::engine = nullptr;
TranslationService* RealEngine::translation = nullptr;
RunningService* RealEngine::running = nullptr;

} // namespace

TEST_F(RealEngine, EnglishSpanishEnglishRoundTrip)
{
    RoundTrip("es");
}

TEST_F(RealEngine, EnglishFrenchEnglishRoundTripGoesThroughSpanish)
{
    EXPECT_EQ(engine->Route("en", "fr"), (std::vector<std::string> { "en", "es", "fr" }));
    RoundTrip("fr");
}

TEST_F(RealEngine, EnglishPortugueseEnglishRoundTrip)
{
    RoundTrip("pt");
}

TEST_F(RealEngine, RomanianWorksThroughTheServicesOwnMode)
{
    EXPECT_TRUE(std::filesystem::exists(ownModes->File("es-ro.mode")));
    RoundTrip("ro");
}

TEST_F(RealEngine, BulgarianRoundTripGoesThroughCroatianAndMacedonian)
{
    EXPECT_EQ(engine->Route("en", "bg"), (std::vector<std::string> { "en", "hr", "mk", "bg" }));
    EXPECT_EQ(engine->Route("bg", "en"), (std::vector<std::string> { "bg", "mk", "en" }));
    RoundTrip("bg");
}

TEST_F(RealEngine, MarkupCharactersSurviveTheProgramsExtraction)
{
    const std::string text = "Tom & Jerry say \"hello\" to <Anna>.\nIt's Bob's car & it's red.";
    const auto direct = engine->Translate("en", "es", service::SplitLines(text));
    ASSERT_TRUE(direct);
    const std::string expected = service::JoinLines(*direct);
    EXPECT_NE(expected.find('&'), std::string::npos) << expected;
    EXPECT_NE(expected.find('"'), std::string::npos) << expected;
    EXPECT_NE(expected.find('<'), std::string::npos) << expected;
    EXPECT_EQ(Hop("en", "es", text), expected);
}

TEST_F(RealEngine, ALanguageToItselfComesBackUnchanged)
{
    const std::string text = "Tom & Jerry say \"hi\" to <Anna>, it's &#65; &amp;\r\nline two  ";
    EXPECT_EQ(
        Hop("en", "en", text), "Tom & Jerry say \"hi\" to <Anna>, it's &#65; &amp;\nline two  ");
}

TEST_F(RealEngine, AnUnsupportedPairGetsTheRefusalPageWithTheReason)
{
    EXPECT_EQ(Hop("en", "ja", "Good morning"), "Error: text could not be translated sensibly.");
    struct Case {
        const char* from;
        const char* to;
        const char* reason;
    };
    for (const Case& c : std::initializer_list<Case> {
             { "en", "de", "no translation engine here reaches German" },
             { "es", "iw", "no translation engine here reaches Hebrew" },
             { "de", "en", "no translation engine here translates from German" },
             { "zh-CN", "ja", "no translation engine here translates from Chinese" },
         }) {
        const auto reply = running->Post(c.from, c.to, "Good morning");
        ASSERT_TRUE(reply);
        EXPECT_EQ(service_test::ReasonOfPage(reply->body), c.reason);
    }
}

TEST_F(RealEngine, EveryResultPageTellsTheRouteOfItsHop)
{
    struct Case {
        const char* from;
        const char* to;
        const char* route;
    };
    for (const Case& c : std::initializer_list<Case> {
             { "en", "es", "apertium " },
             { "en", "fr", "apertium es" },
             { "en", "bg", "apertium hr,mk" },
             { "bg", "en", "apertium mk" },
             { "en", "en", "none " },
         }) {
        const auto reply = running->Post(c.from, c.to, "The cat sleeps.");
        ASSERT_TRUE(reply);
        EXPECT_EQ(service_test::RouteOfPage(reply->body), c.route) << c.from << ">" << c.to;
    }
}

// Any program of an idle pipeline killed: the next request is answered by a
// pipeline started afresh, never with the refusal page.
TEST_F(RealEngine, APipelineMissingAnyOfItsProgramsStillAnswers)
{
    const std::string text = "The dog sleeps in the garden.";
    const std::string expected = Hop("en", "es", text);
    ASSERT_EQ(expected.find("Error:"), std::string::npos) << expected;
    const std::size_t programs = engine->PipelineProcesses({ "en", "es" }).size();
    ASSERT_GE(programs, 5u);
    for (std::size_t program = 0; program < programs; ++program) {
        const std::vector<pid_t> processes = engine->PipelineProcesses({ "en", "es" });
        ASSERT_EQ(processes.size(), programs);
        ASSERT_EQ(kill(processes[program], SIGKILL), 0);
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(Hop("en", "es", text), expected) << "program " << program << " killed";
    }
}

TEST_F(RealEngine, LanguagesListsTheOfflinePairs)
{
    const auto reply = running->Client().Get("/languages");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    const auto languages = nlohmann::json::parse(reply->body);
    using Pairs = std::map<std::string, std::set<std::string>>;
    const auto pairs = languages.at("pairs").get<Pairs>();
    EXPECT_EQ(pairs, languages.at("apertium").get<Pairs>());
    for (const std::string code :
        { "es", "ca", "gl", "fr", "pt", "it", "ro", "hr", "sr", "sl", "bg" }) {
        EXPECT_TRUE(pairs.at("en").contains(code)) << code;
        EXPECT_TRUE(pairs.at(code).contains("en")) << code;
    }
    EXPECT_FALSE(pairs.at("en").contains("de"));
    EXPECT_FALSE(pairs.contains("mk"));
}

// A text far beyond the HTTP library's own 8 KiB form limit.
TEST_F(RealEngine, ALongTextGoesThroughOneHopWithEveryLine)
{
    const std::string line = "The old man walks to the caf\xC3\xA9 with Ren\xC3\xA9"
                             "e; \xD0\x94\xD0\xBE\xD0\xB1\xD1\x80\xD0\xBE "
                             "\xE6\x97\xA5\xE6\x9C\xAC \xCE\xB1\xCE\xB2.";
    std::string text;
    for (int lines = 0; text.size() < 200 * 1024; ++lines)
        text += line + (lines % 7 == 3 ? "\r\n\r\n" : "\r\n");
    const std::string translated = Hop("en", "es", text);
    EXPECT_EQ(translated.find("Error:"), std::string::npos) << translated.substr(0, 200);
    EXPECT_EQ(service::SplitLines(translated).size(), service::SplitLines(text).size());
    EXPECT_NE(translated.find("Ren\xC3\xA9"
                              "e"),
        std::string::npos);
}

// Apertium takes time that grows with the square of a word's length; a run
// of bytes far too long to be a word comes back as it went, with its blanks.
TEST_F(RealEngine, AWordTooLongToTranslateComesBackUntouched)
{
    const std::string word = std::string(200 * 1024, 'x') + "<b>[b]\\";
    const std::string translated = Hop("en", "es", "My sister  " + word + "\treads.");
    EXPECT_NE(translated.find("  " + word + "\t"), std::string::npos) << translated.substr(0, 80);
    EXPECT_EQ(translated.find("Error:"), std::string::npos);
}

class BadRequests : public RealEngine {
protected:
    int Status(
        const std::string& body, const std::string& type = "application/x-www-form-urlencoded")
    {
        const auto reply = running->Client().Post("/", body, type);
        return reply ? reply->status : -1;
    }

    void TearDown() override
    {
        EXPECT_NE(Hop("en", "es", "The cat").find("gato"), std::string::npos)
            << "the service must keep answering";
    }
};

TEST_F(BadRequests, AFormWithoutTheFieldsIsRefused)
{
    EXPECT_EQ(Status(""), 400);
    EXPECT_EQ(Status("sl=en&tl=es"), 400);
    EXPECT_EQ(Status("tl=es&text=hello"), 400);
    EXPECT_EQ(Status("sl=en&tl=es&text="), 400);
}

TEST_F(BadRequests, BrokenEscapesAndUnknownCodesAreRefused)
{
    EXPECT_EQ(Status("sl=en&tl=es&text=100%"), 400);
    EXPECT_EQ(Status("sl=en&tl=xx&text=hello"), 400);
    EXPECT_EQ(Status("sl=EN&tl=es&text=hello"), 400);
    EXPECT_EQ(Status("sl=en&tl=es&text=a&text=b"), 400);
}

TEST_F(BadRequests, TextsThatAreNotUtf8AreRefusedBeforeAnyPipeline)
{
    const std::size_t starts = engine->PipelineStarts();
    // A zero byte, a lone byte, a cut sequence, UTF-16 surrogates, over-long
    // forms and code points past U+10FFFF.
    for (const std::string text : { "a%00b", "caf%E9", "%C3", "%80", "%E2%82", "%ED%A0%80",
             "%ED%BF%BF", "%ED%A0%BD%ED%B8%80", "%C0%80", "%C1%BF", "%E0%80%80", "%E0%9F%BF",
             "%F0%80%80%80", "%F0%8F%BF%BF", "%F4%90%80%80", "%F5%80%80%80" })
        EXPECT_EQ(Status("sl=en&tl=es&text=x" + text + "y"), 400) << text;
    EXPECT_EQ(engine->PipelineStarts(), starts);
    // Their neighbours are text.
    for (const std::string text :
        { "%C2%80", "%E0%A0%80", "%ED%9F%BF", "%EE%80%80", "%F0%90%80%80", "%F4%8F%BF%BF" })
        EXPECT_EQ(Status("sl=en&tl=en&text=x" + text + "y"), 200) << text;
}

TEST_F(BadRequests, AnotherBodyTypeIsRefused)
{
    EXPECT_EQ(Status("{\"sl\":\"en\"}", "application/json"), 415);
}

TEST_F(BadRequests, BodiesUpToOneMebibyteAreTakenAndLongerOnesGet413)
{
    const std::string form = "sl=en&tl=en&text=";
    const std::string limit = form + std::string(1024 * 1024 - form.size(), 'a');
    EXPECT_EQ(Status(form + std::string(8193, 'a')), 200);
    EXPECT_EQ(Status(limit), 200);
    EXPECT_EQ(Status(limit + "a"), 413);
}

TEST_F(BadRequests, UnknownAddressesAndMethodsGetFourHundreds)
{
    const auto missing = running->Client().Get("/translate");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
    const auto put = running->Client().Put("/", "x", "text/plain");
    ASSERT_TRUE(put);
    EXPECT_GE(put->status, 400);
    EXPECT_LT(put->status, 500);
}

class StalledEngine : public testing::Test {
protected:
    service_test::FakeModes modes;
};

TEST_F(StalledEngine, ATimedOutRequestGetsTheRefusalPageAndTheServiceGoesOn)
{
    modes.AddDirection("eng-spa", "sed -u -n ''");
    modes.AddDirection("spa-eng", "sed -u ''");
    ApertiumSettings settings;
    settings.modeFolders = { modes.Folder() };
    settings.timeout = 300ms;
    settings.startAllowance = 0ms;
    ApertiumEngine engine(settings);
    TranslationService translation({ &engine });
    RunningService running(translation);
    const auto started = std::chrono::steady_clock::now();
    const auto stalled = running.Post("en", "es", "hello");
    ASSERT_TRUE(stalled);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(ExtractFromPage(stalled->body).statusMessage,
        "Error: text could not be translated sensibly.");
    EXPECT_EQ(
        service_test::ReasonOfPage(stalled->body), "the translation engine failed on this text");
    const auto echoed = running.Post("es", "en", "a & <b>\n[c] \\d/ @e");
    ASSERT_TRUE(echoed);
    EXPECT_EQ(ExtractFromPage(echoed->body).text, "a & <b>\n[c] \\d/ @e");
}

TEST(IdleExit, TheServerStopsByItselfAfterAQuietSpell)
{
    TranslationService translation({});
    service::ServiceServer server(translation, service::ServerSettings { 0, 400ms, 1024 });
    ASSERT_TRUE(server.Bind());
    const auto started = std::chrono::steady_clock::now();
    std::thread serving([&] { server.Run(); });
    serving.join();
    const auto ran = std::chrono::steady_clock::now() - started;
    EXPECT_GE(ran, 400ms);
    EXPECT_LT(ran, 5s);
}
