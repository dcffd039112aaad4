// A three-line text with an empty line in the middle, out and back through
// every offline language of the real translation service, each step sent
// and read as a run sends and reads it: the lines must stay whole, with no
// blank added at their ends or doubled inside them. The service's language
// pairs must be installed (the set-up script installs them).
#include "run/TranslationReply.h"
#include "run/TranslationRequest.h"
#include "transfer/acHTTP.h"

#include "tests/support/TemporaryFolder.h"

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The memo's text: each line followed by CR LF.
const std::string InputText = "The weather is nice today.\r\n"
                              "\r\n"
                              "We will go out and see Jerry's dog and Tom's cat.\r\n";
const std::vector<std::string> OfflineLanguages
    = { "es", "ca", "gl", "fr", "pt", "it", "ro", "hr", "sr", "sl", "bg" };

std::uint16_t FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool Accepts(std::uint16_t port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(1000);
}

// The lines as a memo shows them: breaks at CR LF, CR or LF, a final break
// adding no empty line.
std::vector<std::string> MemoLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        lines.push_back(line);
        line.clear();
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

class NoDebugLog : public TDebugLog {
public:
    void Append(const std::string&) override { }
};

} // namespace

class RealServiceLines : public testing::Test {
protected:
    void SetUp() override
    {
        service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        service.start(QStringLiteral(SERVICE_PROGRAM),
            { QStringLiteral("--port"), QString::number(port), QStringLiteral("--idle-exit"),
                QStringLiteral("300") });
        ASSERT_TRUE(service.waitForStarted(5000)) << SERVICE_PROGRAM;
        ASSERT_TRUE(QTest::qWaitFor([this] { return Accepts(port); }, 10000));
        http.URL = "http://127.0.0.1:" + std::to_string(port);
        http.RequestMethod = rmPOST;
        http.InternetOptions = { ioKeepConnection };
        http.OnDone = [this](QObject*, const auto&...) { outcome = "done"; };
        http.OnAnyError = [this](QObject*) { outcome = "error"; };
    }

    void TearDown() override
    {
        service.kill();
        service.waitForFinished(5000);
    }

    // One step of a run: the request body of the text as it stands, the reply
    // page in the reply file, the translation cut out of it.
    std::string Step(const std::string& from, const std::string& to, const std::string& text)
    {
        outcome.clear();
        http.OutputFileName = folder.File("translator_replypage.htm");
        http.POSTData = RequestBody(from, to, PrepareRequestText(text));
        if (!http.Read(false))
            return "(not sent)";
        if (!QTest::qWaitFor([this] { return !outcome.empty(); }, 60000) || outcome != "done")
            return "(no reply: " + outcome + ")";
        std::string statusMessage;
        NoDebugLog log;
        const std::string translated = ExtractTranslation(http.OutputFileName, statusMessage, log);
        return translated.empty() ? statusMessage : translated;
    }

    const std::uint16_t port = FreePort();
    QProcess service;
    TemporaryFolder folder;
    TacHTTP http;
    std::string outcome;
};

TEST_F(RealServiceLines, EveryOfflineLanguageKeepsTheLinesWholeAndAddsNoBlank)
{
    const std::size_t lineCount = MemoLines(InputText).size();
    ASSERT_EQ(lineCount, 3u);
    std::string text = InputText;
    for (const std::string& language : OfflineLanguages) {
        for (const auto& [from, to] :
            { std::pair { std::string("en"), language }, { language, "en" } }) {
            text = Step(from, to, text);
            const std::string step = from + "|" + to + ": \"" + text + "\"";
            const std::vector<std::string> lines = MemoLines(text);
            ASSERT_EQ(lines.size(), lineCount) << step;
            EXPECT_FALSE(lines[0].empty()) << step;
            EXPECT_TRUE(lines[1].empty()) << step;
            EXPECT_FALSE(lines[2].empty()) << step;
            for (const std::string& line : lines) {
                EXPECT_FALSE(!line.empty() && (IsBlank(line.front()) || IsBlank(line.back())))
                    << step;
                EXPECT_EQ(line.find("  "), std::string::npos) << step;
            }
        }
    }
}
