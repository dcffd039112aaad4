// The window against the real translation service of the build, with its
// real engine: the service's language pairs must be installed (the set-up
// script installs them), and their absence fails these tests.
#include "run/ServiceStarter.h"

#include "platform/Shell.h"

#include "tests/app/RunFixture.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

namespace {

// Within the test's own time limit, so that a stuck run fails here.
const int RunTimeLimit = 45000;
const char* const InputText = "The old man walks his dog in the park every morning.\n"
                              "My brother reads a good book.";

std::uint16_t FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The body of GET target, or nothing when no answer came within a second.
std::optional<QByteArray> Get(std::uint16_t port, const char* target)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(1000))
        return std::nullopt;
    socket.write(QByteArray("GET ") + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(1000)) { }
    const QByteArray reply = socket.readAll();
    if (!reply.startsWith("HTTP/1.1 200") && !reply.startsWith("HTTP/1.0 200"))
        return std::nullopt;
    return reply.mid(reply.indexOf("\r\n\r\n") + 4);
}

bool WaitUntilAnswering(std::uint16_t port)
{
    return QTest::qWaitFor([port] { return Get(port, "/").has_value(); }, 10000);
}

// The codes the service's offline engine translates English into.
QStringList OfflineTargetsOfEnglish(std::uint16_t port)
{
    const auto body = Get(port, "/languages");
    if (!body)
        return {};
    const QJsonObject engines = QJsonDocument::fromJson(*body).object();
    QStringList codes;
    for (const QJsonValue code :
        engines[QStringLiteral("apertium")][QStringLiteral("en")].toArray())
        codes.append(code.toString());
    return codes;
}

std::string ServiceFolder()
{
    return QFileInfo(QStringLiteral(SERVICE_PROGRAM)).absolutePath().toStdString() + "/";
}

} // namespace

class RealService : public RunFixture {
protected:
    ~RealService() override
    {
        if (service) {
            service->kill();
            service->waitForFinished(5000);
        }
    }

    void StartService(const QString& program, const QStringList& arguments)
    {
        service = std::make_unique<QProcess>();
        service->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        service->start(program, arguments);
    }

    void StartServiceOn(std::uint16_t port)
    {
        StartService(QStringLiteral(SERVICE_PROGRAM),
            { QStringLiteral("--port"), QString::number(port), QStringLiteral("--idle-exit"),
                QStringLiteral("300") });
        ASSERT_TRUE(service->waitForStarted(5000)) << SERVICE_PROGRAM;
        ASSERT_TRUE(WaitUntilAnswering(port));
    }

    void ExpectTheEngineTranslates(std::uint16_t port, const std::vector<const char*>& codes)
    {
        const QStringList targets = OfflineTargetsOfEnglish(port);
        for (const char* code : codes)
            EXPECT_TRUE(targets.contains(QString::fromUtf8(code)))
                << "the service cannot translate English to " << code
                << " offline: Apertium and its language pairs are missing (scripts/setup installs "
                   "them)";
    }

    void RunToTheEnd()
    {
        Click(form->ButtonTranslate);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, RunTimeLimit)) << Status();
    }

    // The output memo holds the input, the separator and the final text.
    void ExpectATranslatedText()
    {
        const Lines output = form->TranslatedTextMemo->Lines();
        ASSERT_EQ(output.size(), 6u) << form->TranslatedTextMemo->Text();
        EXPECT_EQ(output[3], Equals());
        const Lines result(output.begin() + 4, output.end());
        EXPECT_EQ(form->OriginalTextMemo->Lines(), Lines(output.begin(), output.begin() + 2));
        EXPECT_NE(result, Lines(output.begin(), output.begin() + 2));
        for (const std::string& line : result) {
            EXPECT_FALSE(line.empty());
            EXPECT_EQ(line.find_first_of("*#@"), std::string::npos) << line;
        }
    }

    std::unique_ptr<QProcess> service;
};

TEST_F(RealService, FrenchAndSpanishRoundTripsEndReadyWithATranslatedText)
{
    const std::uint16_t port = FreePort();
    StartServiceOn(port);
    ExpectTheEngineTranslates(port, { "fr", "es" });
    form->achtp->URL = "http://127.0.0.1:" + std::to_string(port);
    form->OriginalTextMemo->SetText(InputText);
    Tick("French");
    Tick("Spanish");
    RunToTheEnd();
    EXPECT_EQ(Status(), "Ready.");
    ExpectATranslatedText();
}

// The window's own start of the service, carried out for real: the command
// it hands to the shell brings up a service that its first run then uses.
TEST_F(RealService, TheWindowStartsTheServiceWhenNothingAnswers)
{
    const std::uint16_t port = FreePort();
    const std::string url = "http://localhost:" + std::to_string(port);
    delete form->serviceStarter;
    form->serviceStarter = new ServiceStarter(ServiceFolder(), form.get(), url);
    form->serviceStarter->WaitLimit = std::chrono::seconds(10);
    form->achtp->URL = url;
    int starts = 0;
    const platform::ShellHandler previous
        = platform::SetShellHandler([&](const platform::ShellRequest& request) {
              ++starts;
              StartService(platform::ToQString(request.target),
                  QProcess::splitCommand(platform::ToQString(request.parameters)));
              return service->waitForStarted(5000);
          });
    form->OriginalTextMemo->SetText(InputText);
    Tick("Spanish");
    RunToTheEnd();
    platform::SetShellHandler(previous);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(Status(), "Ready.");
    ExpectATranslatedText();
    ExpectTheEngineTranslates(port, { "es" });
}
