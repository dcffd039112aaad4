#include <QProcess>
#include <QTcpServer>

#include <httplib.h>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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
