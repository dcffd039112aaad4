#include "service/ApertiumEngine.h"
#include "service/TextLines.h"

#include "FakeModes.h"
#include "ServiceTestSupport.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>

#include <atomic>
#include <filesystem>

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

// A page that posts again and again must not keep the service running; a
// prepare is the program's own activity.
TEST(IdleExit, RefusedRequestsDoNotCountAsActivityAndPreparesDo)
{
    struct Case {
        const char* host;
        const char* path;
        const char* body;
        bool keepsRunning;
    };
    for (const Case& row : { Case { "rebound.attacker.example", "/", "sl=en&tl=en&text=a", false },
             Case { "localhost", "/prepare", "pairs=en%7Cen", true } }) {
        TranslationService translation({});
        service::ServiceServer server(translation, service::ServerSettings { 0, 600ms });
        ASSERT_TRUE(server.Bind());
        const auto started = std::chrono::steady_clock::now();
        std::atomic<bool> stopped = false;
        std::thread serving([&] {
            server.Run();
            stopped = true;
        });
        httplib::Client client("127.0.0.1", server.Port());
        while (!stopped && std::chrono::steady_clock::now() - started < 2s) {
            client.Post(
                row.path, { { "Host", row.host } }, row.body, "application/x-www-form-urlencoded");
            std::this_thread::sleep_for(100ms);
        }
        serving.join();
        EXPECT_EQ(std::chrono::steady_clock::now() - started >= 2s, row.keepsRunning) << row.host;
    }
}

// A window holds the service while its process lives; once the last one has
// gone the service ends soon, unless tornalo-cli used it within the idle
// exit's time. Only a process of the service's own user holds it.
TEST(IdleExit, TheServiceEndsSoonAfterTheLastWindowHasGone)
{
    for (const bool usedByTheCommandLine : { false, true }) {
        TranslationService translation({});
        service::ServerSettings settings { 0, 600s };
        settings.afterLastWindow = 100ms;
        service::ServiceServer server(translation, settings);
        ASSERT_TRUE(server.Bind());
        std::atomic<bool> stopped = false;
        std::thread serving([&] {
            server.Run();
            stopped = true;
        });
        QProcess window;
        window.start(QStringLiteral("sleep"), { QStringLiteral("60") });
        ASSERT_TRUE(window.waitForStarted(5000));
        httplib::Client client("127.0.0.1", server.Port());
        const std::string form = "application/x-www-form-urlencoded";
        EXPECT_EQ(client.Post("/hold", "window=999999999", form)->status, 400);
        EXPECT_EQ(
            client.Post("/hold", "window=" + std::to_string(window.processId()), form)->status,
            202);
        if (usedByTheCommandLine)
            client.Post("/", "sl=en&tl=en&text=a", form);
        window.kill();
        window.waitForFinished(5000);
        const auto gone = std::chrono::steady_clock::now();
        while (!stopped && std::chrono::steady_clock::now() - gone < 8s)
            std::this_thread::sleep_for(100ms);
        EXPECT_EQ(stopped.load(), !usedByTheCommandLine);
        server.Stop();
        serving.join();
    }
}

// Requests whose Host is not this machine (a page whose name an attacker's
// DNS turned to 127.0.0.1) get 421; those a browser marks as sent by another
// site's page get 403, whatever they ask for. The program's own requests
// carry no Origin.
TEST(LocalOnly, OnlyThisMachinesProgramsAreAnswered)
{
    TranslationService translation({});
    RunningService running(translation);
    const std::string port = std::to_string(running.Port());
    struct Case {
        std::string host;
        std::string origin;
        std::string site;
        int status;
    };
    const std::vector<Case> cases = {
        { "localhost:" + port, "", "", 200 },
        { "localhost", "", "", 200 },
        { "127.0.0.1:" + port, "", "", 200 },
        { "[::1]:" + port, "", "", 200 },
        { "LocalHost:" + port, "", "", 200 },
        { "localhost:" + port, "http://localhost:" + port, "", 200 },
        { "localhost:" + port, "http://127.0.0.1:" + port, "same-origin", 200 },
        { "localhost:" + port, "", "none", 200 },
        { "rebound.attacker.example", "", "", 421 },
        { "rebound.attacker.example:" + port, "", "", 421 },
        { "localhost.attacker.example", "", "", 421 },
        { "127.0.0.1.nip.io:" + port, "", "", 421 },
        { "127.0.0.2:" + port, "", "", 421 },
        { "localhost:1" + port, "", "", 421 },
        { "", "", "", 421 },
        { "localhost:" + port, "https://attacker.example", "", 403 },
        { "localhost:" + port, "null", "", 403 },
        { "localhost:" + port, "http://localhost:1" + port, "", 403 },
        { "localhost:" + port, "http://localhost", "", 403 },
        { "localhost:" + port, "", "cross-site", 403 },
        { "localhost:" + port, "", "same-site", 403 },
    };
    struct Target {
        const char* path;
        const char* body;
        int allowed;
    };
    const std::vector<Target> targets = { { "/", "sl=en&tl=en&text=hello", 200 },
        { "/languages", nullptr, 200 }, { "/prepare", "pairs=en%7Cen", 202 } };
    for (const Case& row : cases) {
        httplib::Headers headers = { { "Host", row.host },
            { "User-Agent", "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)" },
            { "Referer", "http://localhost:8787/language_tools" } };
        if (!row.origin.empty())
            headers.emplace("Origin", row.origin);
        if (!row.site.empty())
            headers.emplace("Sec-Fetch-Site", row.site);
        for (const Target& target : targets) {
            httplib::Client client = running.Client();
            const auto reply = target.body ? client.Post(target.path, headers, target.body,
                                   "application/x-www-form-urlencoded")
                                           : client.Get(target.path, headers);
            ASSERT_TRUE(reply) << row.host;
            EXPECT_EQ(reply->status, row.status == 200 ? target.allowed : row.status)
                << target.path << " Host \"" << row.host << "\" Origin \"" << row.origin
                << "\" Sec-Fetch-Site \"" << row.site << "\"";
        }
    }
}

TEST(LocalOnly, OnlyFormBodiesAreRead)
{
    TranslationService translation({});
    RunningService running(translation);
    const std::string body = "sl=en&tl=en&text=hello";
    for (const auto& [type, status] :
        std::vector<std::pair<std::string, int>> { { "application/x-www-form-urlencoded", 200 },
            { "application/x-www-form-urlencoded; charset=UTF-8", 200 },
            { "multipart/form-data; boundary=x", 415 }, { "text/plain", 415 },
            { "application/json", 415 } }) {
        const auto reply = running.Client().Post("/", body, type);
        ASSERT_TRUE(reply) << type;
        EXPECT_EQ(reply->status, status) << type;
    }
}

// The status lines of the replies in the order they came, each reply's body
// passed over by its Content-Length.
std::vector<std::string> StatusLines(const std::string& replies)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; replies.compare(at, 9, "HTTP/1.1 ") == 0;) {
        lines.push_back(replies.substr(at, replies.find("\r\n", at) - at));
        const std::size_t body = replies.find("\r\n\r\n", at);
        const std::size_t length = replies.find("Content-Length: ", at);
        if (body == std::string::npos)
            break;
        at = body + 4
            + (length < body ? std::stoul(replies.substr(length + 16)) : std::size_t { 0 });
    }
    return lines;
}

// Requests as clients put them on the wire, good and broken: each gets its
// answer, and a head the service cannot read ends the connection.
TEST(HttpFraming, EveryRequestOnAConnectionGetsItsAnswer)
{
    TranslationService translation({});
    RunningService running(translation);
    const std::string get = "GET / HTTP/1.1\r\nHost: localhost\r\n";
    const std::string post = "POST / HTTP/1.1\r\nHost: localhost\r\n";
    const std::string ok = "HTTP/1.1 200 OK";
    using Lines = std::vector<std::string>;
    const std::vector<std::pair<std::string, Lines>> cases = {
        { get + "Connection: close\r\n\r\n", { ok } },
        { "GET / HTTP/1.0\r\nHost: localhost\r\n\r\n", { ok } },
        { "GET / HTTP/1.1\nHost: localhost\n\n" + get + "Connection: close\r\n\r\n", { ok, ok } },
        { "\r\n" + post + "Content-Length: 18\r\n\r\nsl=en&tl=en&text=x" + get
                + "Connection: close\r\n\r\n",
            { ok, ok } },
        { post + "Content-Length: 17\r\n\r\nsl=en&tl=en&text=x" + get + "\r\n",
            { "HTTP/1.1 400 Bad Request", "HTTP/1.1 405 Method Not Allowed" } },
        { "GET / HTTP/2.0\r\nHost: localhost\r\n\r\n" + get + "\r\n",
            { "HTTP/1.1 505 HTTP Version Not Supported" } },
        { "GARBAGE\r\n\r\n", { "HTTP/1.1 400 Bad Request" } },
        { "GET  / HTTP/1.1\r\nHost: localhost\r\n\r\n", { "HTTP/1.1 400 Bad Request" } },
        { get + "No colon here\r\n\r\n", { "HTTP/1.1 400 Bad Request" } },
        { get + "Host: localhost\r\n\r\n", { "HTTP/1.1 400 Bad Request" } },
        { post + "Transfer-Encoding: chunked\r\n\r\n1\r\na\r\n0\r\n\r\n",
            { "HTTP/1.1 411 Length Required" } },
        { post + "Content-Length: 5\r\nContent-Length: 6\r\n\r\nabcdef",
            { "HTTP/1.1 400 Bad Request" } },
        { post + "Content-Length: -1\r\n\r\n", { "HTTP/1.1 400 Bad Request" } },
        { post + "Content-Length: 1048577\r\n\r\n", { "HTTP/1.1 413 Payload Too Large" } },
        { post + "Expect: a miracle\r\nContent-Length: 1\r\n\r\na",
            { "HTTP/1.1 417 Expectation Failed" } },
        { get + "X-Long: " + std::string(20000, 'a') + "\r\n\r\n",
            { "HTTP/1.1 431 Request Header Fields Too Large" } },
        { "PUT / HTTP/1.1\r\nHost: localhost\r\nContent-Length: 0\r\n\r\n",
            { "HTTP/1.1 405 Method Not Allowed" } },
    };
    for (const auto& [request, expected] : cases)
        EXPECT_EQ(StatusLines(service_test::Exchange(running.Port(), request)), expected)
            << request;
}

// A client that waits for leave to send its body gets it, and then its answer.
TEST(HttpFraming, AnExpectedBodyIsAskedFor)
{
    TranslationService translation({});
    RunningService running(translation);
    const std::string head = "POST / HTTP/1.1\r\nHost: localhost\r\nExpect: 100-continue\r\n"
                             "Content-Length: 18\r\nConnection: close\r\n\r\n";
    const std::string continued = service_test::Exchange(running.Port(), head);
    EXPECT_EQ(continued, "HTTP/1.1 100 Continue\r\n\r\n");
    const std::string whole = service_test::Exchange(running.Port(), head + "sl=en&tl=en&text=x");
    EXPECT_EQ(StatusLines(whole), (std::vector<std::string> { "HTTP/1.1 200 OK" }));
}

// Stand-in pipelines for en>es>fr and back, so that a prepare has routes with
// pivots to start.
class Prepare : public testing::Test {
protected:
    Prepare()
    {
        for (const std::string name : { "eng-spa", "spa-eng", "spa-fra", "fra-spa" })
            modes.AddDirection(name, "sed -u ''");
        settings.modeFolders = { modes.Folder() };
    }

    int PostPrepare(const std::string& body, std::string* reply = nullptr)
    {
        ApertiumEngine engine(settings);
        TranslationService translation({ &engine });
        RunningService running(translation);
        const auto answer
            = running.Client().Post("/prepare", body, "application/x-www-form-urlencoded");
        if (reply && answer)
            *reply = answer->body;
        return answer ? answer->status : -1;
    }

    // Waits, a bounded time, until the engine has made that many starts.
    static bool StartsReach(ApertiumEngine& engine, std::size_t starts)
    {
        for (const auto end = std::chrono::steady_clock::now() + 5s;
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(20ms)) {
            if (engine.PipelineStarts() >= starts)
                return true;
        }
        return false;
    }

    service_test::FakeModes modes;
    ApertiumSettings settings;
};

TEST_F(Prepare, StartsThePipelinesOfTheRoutesAndALaterTranslationStartsNone)
{
    ApertiumEngine engine(settings);
    TranslationService translation({ &engine });
    RunningService running(translation);
    const auto reply = running.Client().Post(
        "/prepare", "pairs=en%7Cfr%2Cfr%7Cen%2Cen%7Cde", "application/x-www-form-urlencoded");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 202);
    EXPECT_EQ(reply->get_header_value("Content-Type"), "application/json");
    EXPECT_EQ(reply->body, R"({"preparing":["en|fr","fr|en"],"unknown":["en|de"]})");
    ASSERT_TRUE(StartsReach(engine, 4));
    EXPECT_EQ(engine.LivePipelines(), 4u);
    EXPECT_EQ(ExtractFromPage(running.Post("en", "fr", "one")->body).text, "one");
    EXPECT_EQ(ExtractFromPage(running.Post("fr", "en", "two")->body).text, "two");
    EXPECT_EQ(engine.PipelineStarts(), 4u);
}

// The stand-in takes longer to load than a text may wait for a busy pipeline.
TEST_F(Prepare, ATranslationWaitsForThePipelineAPrepareIsStartingHoweverLongItsStartTakes)
{
    modes.AddDirection("eng-spa", "sed -u '1e sleep 1'");
    settings.pipelinesPerMode = 2;
    settings.busyWait = 300ms;
    ApertiumEngine engine(settings);
    engine.Prepare({ { "en", "es" } });
    EXPECT_EQ(
        engine.Translate("en", "es", { "at once" }), (std::vector<std::string> { "at once" }));
    EXPECT_EQ(engine.PipelineStarts(), 1u);
}

TEST_F(Prepare, APreparedPipelineHasPassedATextBeforeTheFirstRequest)
{
    const std::string log = modes.Folder() + "/seen";
    modes.AddDirection("eng-spa", "sed -u 'w " + log + "'");
    ApertiumEngine engine(settings);
    engine.Prepare({ { "en", "es" } });
    bool passed = false;
    for (const auto end = std::chrono::steady_clock::now() + 5s;
         !passed && std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(20ms))
        passed = std::filesystem::exists(log) && std::filesystem::file_size(log) > 0;
    EXPECT_TRUE(passed);
    EXPECT_EQ(engine.Translate("en", "es", { "later" }), (std::vector<std::string> { "later" }));
    EXPECT_EQ(engine.PipelineStarts(), 1u);
}

// Its programs would hold the warm-up for the whole start allowance.
TEST_F(Prepare, ClosingTheEngineEndsAPipelineThatIsStillWarmingUp)
{
    modes.AddDirection("eng-spa", "sed -u -n ''");
    const auto start = std::chrono::steady_clock::now();
    {
        ApertiumEngine engine(settings);
        engine.Prepare({ { "en", "es" } });
        ASSERT_TRUE(StartsReach(engine, 1));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST_F(Prepare, NeverStartsMoreThanTheCapAndStopsNothing)
{
    settings.maximumLivePipelines = 3;
    ApertiumEngine engine(settings);
    ASSERT_TRUE(engine.Translate("es", "en", { "busy" }));
    engine.Prepare({ { "en", "fr" }, { "fr", "en" } });
    ASSERT_TRUE(StartsReach(engine, 3));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(engine.PipelineStarts(), 3u);
    EXPECT_EQ(engine.LivePipelines(), 3u);
    EXPECT_NE(engine.PipelineProcessGroup({ "es", "en" }), 0);
    EXPECT_EQ(engine.PipelineProcessGroup({ "fr", "es" }), 0);
}

TEST_F(Prepare, MalformedPairsAndOtherBodiesAreRefused)
{
    std::string reply;
    EXPECT_EQ(PostPrepare("pairs=", &reply), 202);
    EXPECT_EQ(reply, R"({"preparing":[],"unknown":[]})");
    EXPECT_EQ(PostPrepare("pairs=en%7Ces%2Cen%7Ces%2Cen%7Cen", &reply), 202);
    EXPECT_EQ(reply, R"({"preparing":["en|es","en|en"],"unknown":[]})");
    for (const std::string body :
        { "", "pair=en%7Ces", "pairs=en", "pairs=en%7Ces%7Cfr", "pairs=en%7Ces%2C", "pairs=EN%7Ces",
            "pairs=en%7Cxx", "pairs=mk%7Cen", "pairs=en%7Ces&pairs=en%7Cfr", "pairs=%7" })
        EXPECT_EQ(PostPrepare(body), 400) << body;
}
