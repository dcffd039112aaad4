#include "tests/support/ForeignUser.h"
#include "tests/support/TemporaryFolder.h"

#include <QProcess>
#include <QTcpServer>

#include <httplib.h>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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

bool AnswersWithinFiveSeconds(int port)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (Answers(port))
            return true;
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

void StartService(QProcess& program, int port, int idleExit = 30)
{
    program.start(QStringLiteral(SERVICE_PROGRAM),
        { QStringLiteral("--port"), QString::number(port), QStringLiteral("--idle-exit"),
            QString::number(idleExit) });
}

sockaddr_in Loopback(int port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A listener on the port that takes one connection and closes it first, so
// the connection stays in TIME_WAIT on the port after everything is closed.
// The listener sets SO_REUSEADDR, as servers commonly do (Qt's among them);
// without it no later listener could take the port before TIME_WAIT ends.
bool LeaveAConnectionInTimeWait(int port)
{
    const sockaddr_in address = Loopback(port);
    const auto* name = reinterpret_cast<const sockaddr*>(&address);
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    const int client = socket(AF_INET, SOCK_STREAM, 0);
    const bool connected = bind(listener, name, sizeof address) == 0 && listen(listener, 1) == 0
        && connect(client, name, sizeof address) == 0;
    const int accepted = connected ? accept(listener, nullptr, nullptr) : -1;
    if (accepted >= 0) {
        close(accepted);
        char byte = 0;
        recv(client, &byte, 1, 0);
    }
    close(client);
    close(listener);
    return accepted >= 0;
}

// Whether /proc/net/tcp lists a connection in TIME_WAIT on the local port.
bool HasTimeWaitOn(int port)
{
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        unsigned address = 0;
        unsigned localPort = 0;
        unsigned state = 0;
        if (std::sscanf(line.c_str(), " %*u: %x:%x %*x:%*x %x", &address, &localPort, &state) == 3
            && static_cast<int>(localPort) == port && state == 0x06)
            return true;
    }
    return false;
}

} // namespace

TEST(ServiceProgram, AnswersOnItsPortAndExitsWhenIdle)
{
    const int port = FreePort();
    QProcess program;
    StartService(program, port, 2);
    ASSERT_TRUE(program.waitForStarted(5000));
    EXPECT_TRUE(AnswersWithinFiveSeconds(port));
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

TEST(ServiceProgram, StartsAtOnceWhereAClosedListenerLeftAConnectionInTimeWait)
{
    const int port = FreePort();
    ASSERT_TRUE(LeaveAConnectionInTimeWait(port));
    ASSERT_TRUE(HasTimeWaitOn(port));
    QProcess program;
    StartService(program, port);
    ASSERT_TRUE(program.waitForStarted(5000));
    EXPECT_TRUE(AnswersWithinFiveSeconds(port)) << program.readAllStandardError().toStdString();
    program.kill();
    program.waitForFinished(5000);
}

// The port is the service's alone: neither another program's listener nor a
// second service shares it.
TEST(ServiceProgram, ASecondServiceOnABusyPortRefusesWithAClearMessage)
{
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::LocalHost, 0));
    const int port = FreePort();
    QProcess first;
    StartService(first, port);
    ASSERT_TRUE(AnswersWithinFiveSeconds(port));
    for (const int busy : { port, static_cast<int>(other.serverPort()) }) {
        QProcess second;
        StartService(second, busy);
        ASSERT_TRUE(second.waitForFinished(5000)) << busy;
        EXPECT_EQ(second.exitCode(), 1);
        EXPECT_EQ(second.readAllStandardError().toStdString(),
            "tornalo-service: cannot listen on 127.0.0.1:" + std::to_string(busy)
                + ": another program is already listening on that port\n");
    }
    EXPECT_TRUE(Answers(port));
    first.kill();
    first.waitForFinished(5000);
}

// Each user has a service of their own: a service another user runs refuses
// this user's programs, whatever they ask.
TEST(ServiceProgram, AnotherUsersServiceRefusesThisUsersRequests)
{
    const ForeignUser other;
    if (!other.Available())
        GTEST_SKIP() << other.Reason();
    const int port = FreePort();
    QStringList command;
    for (const std::string& part : other.AsThisUser(SERVICE_PROGRAM))
        command << QString::fromStdString(part);
    command << QStringLiteral("--port") << QString::number(port);
    QProcess program;
    program.start(command.takeFirst(), command);
    ASSERT_TRUE(program.waitForStarted(5000));
    httplib::Client client("127.0.0.1", port);
    int status = 0;
    std::string body;
    for (int attempt = 0; attempt < 50 && status == 0; ++attempt) {
        std::this_thread::sleep_for(100ms);
        if (const auto reply = client.Get("/languages")) {
            status = reply->status;
            body = reply->body;
        }
    }
    EXPECT_EQ(status, 403);
    EXPECT_NE(body.find("belongs to another user"), std::string::npos);
    program.terminate();
    program.waitForFinished(5000);
}

// A service records the port it took for its user's programs, forgets it
// when it ends, and ends when its program file is replaced, as an upgrade
// does, or on a request to stop.
TEST(ServiceProgram, RecordsItsPortAndEndsWhenItsProgramIsReplacedOrItIsAskedTo)
{
    TemporaryFolder folder;
    const std::string copy = folder.Path() + "tornalo-service";
    std::filesystem::copy_file(SERVICE_PROGRAM, copy);
    const std::string record = folder.Path() + "private/service.port";
    const auto start = [&](QProcess& program) {
        program.start(QString::fromStdString(copy),
            { QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--port-file"),
                QString::fromStdString(record), QStringLiteral("--idle-exit"),
                QStringLiteral("600") });
        for (int attempt = 0; attempt < 50 && !std::filesystem::exists(record); ++attempt)
            std::this_thread::sleep_for(100ms);
        int port = 0;
        std::ifstream(record) >> port;
        return port;
    };
    QProcess replaced;
    const int port = start(replaced);
    ASSERT_TRUE(AnswersWithinFiveSeconds(port));
    EXPECT_EQ(std::filesystem::status(folder.Path() + "private").permissions(),
        std::filesystem::perms::owner_all);
    std::filesystem::copy_file(SERVICE_PROGRAM, copy + ".new");
    std::filesystem::rename(copy + ".new", copy);
    ASSERT_TRUE(replaced.waitForFinished(15000));
    EXPECT_EQ(replaced.exitCode(), 0);
    EXPECT_FALSE(std::filesystem::exists(record));

    QProcess asked;
    const int secondPort = start(asked);
    ASSERT_TRUE(AnswersWithinFiveSeconds(secondPort));
    httplib::Client client("127.0.0.1", secondPort);
    const auto stop = client.Post("/stop", "", "application/x-www-form-urlencoded");
    ASSERT_TRUE(stop);
    EXPECT_EQ(stop->status, 202);
    ASSERT_TRUE(asked.waitForFinished(5000));
    EXPECT_FALSE(client.Get("/"));
}
