// tornalo-cli itself, run as a program against the stand-in service: where
// the text comes from, what it writes and every exit status.
#include "tests/support/QtPrinters.h"
#include "tests/support/StandInService.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/TestHttpServer.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct Finished {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Bytes(const QByteArray& bytes)
{
    return bytes.toStdString();
}

} // namespace

class CommandLineProgram : public testing::Test {
protected:
    // Runs the program in a folder of its own with input on its standard
    // input; while waits until the program has gone so far, then lets the
    // test act on the running process.
    Finished Run(QStringList arguments, const std::string& input = {},
        const std::function<void(QProcess&)>& whileRunning = {})
    {
        QProcess process;
        process.setWorkingDirectory(QString::fromStdString(folder.Path()));
        process.start(QStringLiteral(CLI_PROGRAM), arguments);
        if (!process.waitForStarted(5000))
            ADD_FAILURE() << "tornalo-cli did not start";
        process.write(QByteArray::fromStdString(input));
        process.closeWriteChannel();
        if (whileRunning)
            whileRunning(process);
        // Waiting for the service may have seen the program end already.
        if (process.state() != QProcess::NotRunning && !process.waitForFinished(30000))
            ADD_FAILURE() << "tornalo-cli did not finish";
        return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            Bytes(process.readAllStandardOutput()), Bytes(process.readAllStandardError()) };
    }

    // The stand-in's address and the languages.
    QStringList At(const QString& languages)
    {
        return { QStringLiteral("--url"), QString::fromStdString(service.URL()),
            QStringLiteral("--langs"), languages };
    }

    TemporaryFolder folder;
    StandInService service;
};

TEST_F(CommandLineProgram, TranslatesTheTextGivenAsArguments)
{
    const Finished run = Run(At(QStringLiteral("fr,de")) << QStringLiteral("Hello"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "en:de:en:fr:Hello\n");
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(QFile::exists(QString::fromStdString(folder.File("translator_replypage.htm"))));
}

TEST_F(CommandLineProgram, WithoutTextItTranslatesStandardInputLikeTheWindowsMemo)
{
    const Finished run = Run(At(QStringLiteral("French")), "one\ntwo\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "en:fr:one\ntwo\n");
    ASSERT_EQ(service.RequestCount(), 2u);
    EXPECT_EQ(service.Requests()[0].fields.at("text"), "one\r\ntwo\r\n");
}

TEST_F(CommandLineProgram, ShowEachWritesTheOutputMemoOfTheWindow)
{
    const Finished run = Run(At(QStringLiteral("fr,de"))
        << QStringLiteral("--show-each") << QStringLiteral("--show-original")
        << QStringLiteral("Hello"));
    const std::string equals(48, '=');
    EXPECT_EQ(
        run.out, "Hello\n\n" + equals + "\nen:fr:Hello\n\n" + equals + "\nen:de:en:fr:Hello\n");
}

TEST_F(CommandLineProgram, JsonHoldsTheRouteEveryStepAndTheOutcome)
{
    const Finished run = Run(At(QStringLiteral("de,fr"))
        << QStringLiteral("--json") << QStringLiteral("--chain") << QStringLiteral("Hello"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    QJsonParseError error;
    const QJsonObject json
        = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out;
    EXPECT_EQ(json[QStringLiteral("route")].toString(), QStringLiteral("French->German"));
    const QJsonArray steps = json[QStringLiteral("steps")].toArray();
    ASSERT_EQ(steps.size(), 3);
    QStringList hops;
    for (const QJsonValue step : steps)
        hops << step[QStringLiteral("from")].toString() + QStringLiteral(">")
                + step[QStringLiteral("to")].toString();
    EXPECT_EQ(hops.join(QStringLiteral(" ")), QStringLiteral("en>fr fr>de de>en"));
    EXPECT_EQ(steps[1][QStringLiteral("text")].toString(), QStringLiteral("de:fr:Hello"));
    EXPECT_GE(steps[1][QStringLiteral("milliseconds")].toInt(-1), 0);
    const QJsonObject outcome = json[QStringLiteral("outcome")].toObject();
    EXPECT_EQ(outcome[QStringLiteral("status")].toString(), QStringLiteral("Ready."));
    EXPECT_EQ(outcome[QStringLiteral("text")].toString(), QStringLiteral("en:de:fr:Hello"));
    EXPECT_FALSE(outcome[QStringLiteral("failed")].toBool(true));
}

TEST_F(CommandLineProgram, AFailedRunExitsWithOneAndTheWindowsText)
{
    const std::pair<ServiceReply, std::string> failures[] = {
        { { 200,
              "<html>Translate Sorry, this text cannot be translated <span id=result_box></html>" },
            "Error: text could not be translated sensibly.\n" },
        { { 413, "" }, "Error: the text is too long for the translation service.\n" },
        { { 400, "the text is not UTF-8\n" },
            "Error. English \u2192 Japanese: the service answered 400 Bad Request: the text is not "
            "UTF-8.\n" },
    };
    for (const auto& [reply, message] : failures) {
        service.SetResponder([reply = reply](const ServiceRequest&, int) { return reply; });
        const Finished run = Run(At(QStringLiteral("ja")) << QStringLiteral("Hello"));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, message);
        EXPECT_EQ(run.out, "");
    }
}

// Servers that never answer, answer wrongly, without end, a byte at a time or
// with a certificate nobody vouches for: each run ends within its bound, exit 1,
// with the cause on standard error and no reply page larger than the limit.
TEST_F(CommandLineProgram, AServerThatMisbehavesEndsTheRunNamingWhy)
{
    TestCertificates certificates;
    struct Misbehaviour {
        std::function<std::unique_ptr<TestHttpServer>()> server;
        std::string message;
    };
    const auto plain = [](ScriptedResponse response) {
        return [response] {
            auto server = std::make_unique<TestHttpServer>();
            server->Respond(response);
            return server;
        };
    };
    ScriptedResponse silent;
    silent.silent = true;
    ScriptedResponse endless = ScriptedResponse::Ok(std::string(65536, 'x'));
    endless.contentLength = false;
    endless.endless = true;
    ScriptedResponse trickling = ScriptedResponse::Ok(std::string(1000, 'x'));
    trickling.trickle = std::chrono::milliseconds(300);
    ScriptedResponse longHeader = ScriptedResponse::Ok("x");
    longHeader.headers.push_back({ "X-Long", std::string(200 * 1024, 'a') });
    const Misbehaviour misbehaviours[] = {
        { plain(silent), "Error. No answer from the translation service for 1 second." },
        { plain(ScriptedResponse::Status(404)),
            "Error. English \u2192 Japanese: the service answered 404 Not Found." },
        { plain(endless),
            "Error: the reply page is larger than 16 MiB; its download was stopped." },
        { plain(trickling), "Error. The reply did not come whole within 1 second of its start." },
        { plain(longHeader), "Error. The reply's header lines are too long." },
        { [&] {
             auto server = std::make_unique<TestHttpServer>(certificates.SelfSigned());
             server->Respond(ScriptedResponse::Ok("never read"));
             return server;
         },
            "Error. The server certificate was refused: self-signed certificate." },
    };
    for (const Misbehaviour& misbehaviour : misbehaviours) {
        const auto server = misbehaviour.server();
        const auto started = std::chrono::steady_clock::now();
        const Finished run = Run({ QStringLiteral("--url"), QString::fromStdString(server->Url()),
            QStringLiteral("--timeout"), QStringLiteral("1"), QStringLiteral("--langs"),
            QStringLiteral("ja"), QStringLiteral("Hello") });
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
        EXPECT_EQ(run.exitCode, 1) << misbehaviour.message;
        EXPECT_EQ(run.err, misbehaviour.message + "\n");
        EXPECT_LE(
            QFileInfo(QString::fromStdString(folder.Path() + "translator_replypage.htm")).size(),
            16 * 1024 * 1024);
    }
}

// A script must not take a lost result for one: output to a full disk fails.
TEST_F(CommandLineProgram, AResultThatCannotBeWrittenFailsTheRun)
{
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder.Path()));
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    process.start(QStringLiteral(CLI_PROGRAM), At(QStringLiteral("fr")) << QStringLiteral("Hello"));
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(Bytes(process.readAllStandardError()),
        "Error. The result could not be written to standard output.\n");
}

// The outcome's text is the text reached, as the plain output shows it.
TEST_F(CommandLineProgram, JsonOfARunThatStoppedGivesTheTextItReached)
{
    service.SetResponder([](const ServiceRequest& request, int) {
        return request.fields.at("tl") == "ja"
            ? ServiceReply { 200, "<html>Translate Sorry, this text cannot be translated</html>" }
            : standin::TranslationReply(request);
    });
    const Finished run
        = Run(At(QStringLiteral("fr,ja")) << QStringLiteral("--json"), "Hello\r\nworld\n");
    EXPECT_EQ(run.exitCode, 1);
    const QJsonObject outcome = QJsonDocument::fromJson(QByteArray::fromStdString(run.out))
                                    .object()[QStringLiteral("outcome")]
                                    .toObject();
    EXPECT_TRUE(outcome[QStringLiteral("failed")].toBool());
    EXPECT_EQ(outcome[QStringLiteral("text")].toString(), QStringLiteral("en:fr:Hello\nworld"));
}

TEST_F(CommandLineProgram, AnEmptyTextIsRefusedAsTheWindowRefusesIt)
{
    const Finished run = Run(At(QStringLiteral("fr")), " \n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Please type some text in to translate first.\n");
    EXPECT_EQ(service.RequestCount(), 0u);
}

TEST_F(CommandLineProgram, AnUnknownLanguageIsAUsageErrorNamingIt)
{
    const Finished run = Run(At(QStringLiteral("fr,Klingon")) << QStringLiteral("Hello"));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err.rfind("tornalo-cli: unknown language 'Klingon'\nUsage: tornalo-cli ", 0), 0u)
        << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(service.RequestCount(), 0u);
}

TEST_F(CommandLineProgram, ControlCAbortsTheRunAndExitsWith130)
{
    service.HoldReplies(true);
    const Finished run
        = Run(At(QStringLiteral("fr,de")) << QStringLiteral("Hello"), {}, [&](QProcess& process) {
              ASSERT_TRUE(QTest::qWaitFor([&] { return service.RequestCount() == 1; }, 10000));
              kill(static_cast<pid_t>(process.processId()), SIGINT);
              QTest::qWait(100);
              service.ReleaseHeld();
          });
    EXPECT_EQ(run.exitCode, 130) << run.err;
    EXPECT_EQ(run.err, "Aborted.\n");
    EXPECT_EQ(service.RequestCount(), 1u);
}

TEST_F(CommandLineProgram, UntilStableSaysAfterHowManyRoundsTheTextSettled)
{
    service.SetResponder(standin::SettlingReply);
    const Finished run
        = Run(At(QStringLiteral("fr")) << QStringLiteral("--until-stable") << QStringLiteral("Hi"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Hi++++\n");
    EXPECT_EQ(run.err, "Stable after 3 rounds.\n");
    EXPECT_EQ(service.RequestCount(), 6u);
}

TEST_F(CommandLineProgram, UntilStableSaysWhenTheMostRoundsDidNotSettleTheText)
{
    const Finished run = Run(At(QStringLiteral("fr"))
        << QStringLiteral("--until-stable") << QStringLiteral("--max-rounds") << QStringLiteral("5")
        << QStringLiteral("--json") << QStringLiteral("Hi"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "Not stable after 5 rounds.\n");
    const QJsonObject outcome = QJsonDocument::fromJson(QByteArray::fromStdString(run.out))
                                    .object()[QStringLiteral("outcome")]
                                    .toObject();
    EXPECT_EQ(outcome[QStringLiteral("rounds")].toInt(), 5);
    EXPECT_FALSE(outcome[QStringLiteral("stable")].toBool(true));
    EXPECT_EQ(service.RequestCount(), 10u);
}

TEST_F(CommandLineProgram, VersionIsTheOneTheUpdateDescriptorRecords)
{
    QFile descriptor(QStringLiteral(DESCRIPTOR_SOURCE));
    ASSERT_TRUE(descriptor.open(QIODevice::ReadOnly));
    const QRegularExpressionMatch version
        = QRegularExpression(QStringLiteral("<Version>(.*)</Version>"))
              .match(QString::fromUtf8(descriptor.readAll()));
    ASSERT_TRUE(version.hasMatch());
    const Finished run = Run({ QStringLiteral("--version") });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1),
        "tornalo-cli " + version.captured(1).toStdString() + "\n");
}

TEST_F(CommandLineProgram, HelpGoesToStandardOutput)
{
    const Finished run = Run({ QStringLiteral("--help") });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.rfind("Usage: tornalo-cli [--home CODE] --langs LIST", 0), 0u);
    EXPECT_EQ(run.err, "");
}
