#include "service/LibreTranslateEngine.h"
#include "service/TranslationService.h"

#include "ServiceTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <mutex>

using namespace std::chrono_literals;
using nlohmann::json;
using service::LibreTranslateEngine;
using service::LibreTranslateSettings;
using Lines = std::vector<std::string>;

namespace {

// A stand-in LibreTranslate server on loopback: it knows English, German and
// Hebrew, and "translates" by upper-casing the text and tagging it with the
// target code. A text holding "JOIN" comes back with its lines joined.
class StandInServer {
public:
    explicit StandInServer(const std::string& prefix = "", bool listTargets = true)
    {
        server_.Get(prefix + "/languages",
            [listTargets](const httplib::Request&, httplib::Response& response) {
                json languages = json::array({
                    { { "code", "en" }, { "name", "English" }, { "targets", { "de", "he" } } },
                    { { "code", "de" }, { "name", "German" }, { "targets", { "en" } } },
                    { { "code", "he" }, { "name", "Hebrew" }, { "targets", { "en" } } },
                });
                if (!listTargets) {
                    for (auto& language : languages)
                        language.erase("targets");
                }
                response.set_content(languages.dump(), "application/json");
            });
        server_.Post(prefix + "/translate",
            [this](const httplib::Request& request, httplib::Response& response) {
                Answer(request, response);
            });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~StandInServer()
    {
        // A stop before the server listens would be lost.
        for (int wait = 0; wait < 5000 && !server_.is_running(); ++wait)
            std::this_thread::sleep_for(1ms);
        server_.stop();
        thread_.join();
    }

    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::vector<json> Requests()
    {
        const std::lock_guard lock(mutex_);
        return requests_;
    }
    void FailWith(int status) { failure_ = status; }

private:
    void Answer(const httplib::Request& request, httplib::Response& response)
    {
        const json body = json::parse(request.body, nullptr, false);
        {
            const std::lock_guard lock(mutex_);
            requests_.push_back(body);
        }
        if (failure_ != 0) {
            response.status = failure_;
            response.set_content(R"({"error":"broken"})", "application/json");
            return;
        }
        std::string text = body.value("q", "");
        for (char& c : text)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (text.find("JOIN") != std::string::npos)
            std::replace(text.begin(), text.end(), '\n', ' ');
        response.set_content(
            json { { "translatedText", text + " [" + body.value("target", "") + "]" } }.dump(),
            "application/json");
    }

    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<json> requests_;
    std::atomic<int> failure_ = 0;
};

LibreTranslateSettings Settings(const std::string& url, const std::string& key = {})
{
    LibreTranslateSettings settings;
    settings.url = url;
    settings.apiKey = key;
    settings.timeout = 5s;
    return settings;
}

} // namespace

class LibreTranslate : public testing::Test {
protected:
    StandInServer server;
};

TEST_F(LibreTranslate, PairsFollowTheServersTargetsInProgramCodes)
{
    LibreTranslateEngine engine(Settings(server.Url()));
    const service::LanguagePairs expected
        = { { "en", { "de", "iw" } }, { "de", { "en" } }, { "iw", { "en" } } };
    EXPECT_EQ(engine.Pairs(), expected);
    EXPECT_TRUE(engine.CanTranslate("en", "iw"));
    EXPECT_FALSE(engine.CanTranslate("de", "iw"));
}

TEST_F(LibreTranslate, SendsTheDocumentedFieldsAndKeepsTheLines)
{
    LibreTranslateEngine engine(Settings(server.Url(), "secret"));
    ASSERT_TRUE(engine.CanTranslate("en", "iw"));
    const auto translated = engine.Translate("en", "iw", { "good morning", "friend" });
    EXPECT_EQ(translated, (Lines { "GOOD MORNING", "FRIEND [he]" }));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].at("q"), "good morning\nfriend");
    EXPECT_EQ(requests[0].at("source"), "en");
    EXPECT_EQ(requests[0].at("target"), "he");
    EXPECT_EQ(requests[0].at("format"), "text");
    EXPECT_EQ(requests[0].at("api_key"), "secret");
}

TEST_F(LibreTranslate, LinesAreSentOneByOneWhenTheServerJoinsThem)
{
    LibreTranslateEngine engine(Settings(server.Url()));
    ASSERT_TRUE(engine.CanTranslate("en", "de"));
    const auto translated = engine.Translate("en", "de", { "join me", "", "and me" });
    EXPECT_EQ(translated, (Lines { "JOIN ME [de]", "", "AND ME [de]" }));
    EXPECT_EQ(server.Requests().size(), 3u);
}

TEST_F(LibreTranslate, AServerErrorGivesNoTranslation)
{
    LibreTranslateEngine engine(Settings(server.Url()));
    ASSERT_TRUE(engine.CanTranslate("en", "de"));
    server.FailWith(500);
    EXPECT_FALSE(engine.Translate("en", "de", { "hello" }));
    EXPECT_EQ(engine.Trouble(), "");
}

TEST(LibreTranslateAway, AServerThatIsNotThereOffersNothing)
{
    int port = 0;
    {
        StandInServer gone;
        port = std::stoi(gone.Url().substr(gone.Url().rfind(':') + 1));
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(port);
    LibreTranslateEngine engine(Settings(url));
    EXPECT_FALSE(engine.CanTranslate("en", "de"));
    EXPECT_TRUE(engine.Pairs().empty());
    // The refusal says why, not only that nothing reaches the language.
    const std::string trouble = "the LibreTranslate server at " + url + " did not answer";
    EXPECT_EQ(engine.Trouble(), trouble);
    service::TranslationService translation({ &engine });
    service_test::RunningService running(translation);
    const auto refused = running.Post("en", "de", "hallo");
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->body.find(trouble), std::string::npos) << refused->body;
}

TEST(LibreTranslateOlder, AServerWithoutTargetsReachesEveryLanguageItLists)
{
    StandInServer server("", false);
    LibreTranslateEngine engine(Settings(server.Url()));
    EXPECT_TRUE(engine.CanTranslate("de", "iw"));
    EXPECT_EQ(engine.Pairs().at("de"), (std::set<std::string> { "en", "iw" }));
}

TEST(LibreTranslatePath, AnAddressWithAPathPutsItBeforeTheCalls)
{
    StandInServer server("/lt");
    LibreTranslateEngine engine(Settings(server.Url() + "/lt/"));
    ASSERT_TRUE(engine.CanTranslate("en", "de"));
    EXPECT_EQ(engine.Translate("en", "de", { "x" }), (Lines { "X [de]" }));
}

TEST_F(LibreTranslate, TheServiceForwardsWhatNoEarlierEngineTranslates)
{
    LibreTranslateEngine engine(Settings(server.Url()));
    service::TranslationService translation({ &engine });
    service_test::RunningService running(translation);
    const auto reply = running.Post("en", "de", "Tom & \"Jerry\"\r\n<b>");
    ASSERT_TRUE(reply);
    EXPECT_EQ(service_test::ExtractFromPage(reply->body).text, "TOM & \"JERRY\"\n<B> [de]");
    EXPECT_EQ(service_test::RouteOfPage(reply->body), "libretranslate " + server.Url() + " ");
    const auto refused = running.Post("de", "iw", "hallo");
    ASSERT_TRUE(refused);
    EXPECT_EQ(service_test::ExtractFromPage(refused->body).statusMessage,
        "Error: text could not be translated sensibly.");
    const auto languages = running.Client().Get("/languages");
    ASSERT_TRUE(languages);
    EXPECT_EQ(json::parse(languages->body).at("libretranslate").at("iw"), json::array({ "en" }));
}
