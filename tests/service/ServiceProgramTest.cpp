#include <QProcess>
#include <QTcpServer>

#include <httplib.h>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

int FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool Answers(int port)
{
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(1s);
    const auto reply = client.Get("/");
    return reply && reply->status == 200;
}

} // namespace

TEST(ServiceProgram, AnswersOnItsPortAndExitsWhenIdle)
{
    const int port = FreePort();
    QProcess program;
    program.start(QStringLiteral(SERVICE_PROGRAM),
        { QStringLiteral("--port"), QString::number(port), QStringLiteral("--idle-exit"),
            QStringLiteral("2") });
    ASSERT_TRUE(program.waitForStarted(5000));
    bool answered = false;
    for (int attempt = 0; attempt < 50 && !answered; ++attempt) {
        answered = Answers(port);
        if (!answered)
            std::this_thread::sleep_for(100ms);
    }
    EXPECT_TRUE(answered);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_FALSE(Answers(port));
}

TEST(ServiceProgram, ABadOptionEndsWithUsage)
{
    QProcess program;
    program.start(
        QStringLiteral(SERVICE_PROGRAM), { QStringLiteral("--port"), QStringLiteral("x") });
    ASSERT_TRUE(program.waitForFinished(5000));
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_TRUE(program.readAllStandardError().contains("Usage: tornalo-service"));
}

TEST(ServiceProgram, ATakenPortIsReported)
{
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    QProcess program;
    program.start(QStringLiteral(SERVICE_PROGRAM),
        { QStringLiteral("--port"), QString::number(taken.serverPort()) });
    ASSERT_TRUE(program.waitForFinished(5000));
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_TRUE(program.readAllStandardError().contains("cannot listen"));
}
