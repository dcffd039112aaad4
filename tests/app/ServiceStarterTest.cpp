#include "run/ServiceStarter.h"

#include "platform/Shell.h"

#include "tests/app/RunFixture.h"
#include "tests/support/EventLoopThread.h"
#include "tests/support/TestHttpServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <memory>

using namespace std::chrono_literals;

namespace {

const std::string ProgramFolder = "/opt/tornalo/";

std::uint16_t FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

std::string LocalUrl(std::uint16_t port)
{
    return "http://localhost:" + std::to_string(port);
}

// Answers every request on a given loopback port with an empty page, from a
// thread of its own, so that it answers while the test's thread is probing.
class LateService {
public:
    explicit LateService(std::uint16_t port)
    {
        thread.Call([this, port] { Listen(port); });
    }

    ~LateService()
    {
        thread.Call([this] { qDeleteAll(context.children()); });
    }

    LateService(const LateService&) = delete;
    LateService& operator=(const LateService&) = delete;

    bool Listening() const { return listening; }
    int Connections() const { return connections.load(); }

private:
    void Listen(std::uint16_t port)
    {
        auto* server = new QTcpServer(&context);
        QObject::connect(server, &QTcpServer::newConnection, &context, [this, server] {
            while (QTcpSocket* socket = server->nextPendingConnection())
                Answer(socket);
        });
        listening = server->listen(QHostAddress::LocalHost, port);
    }

    void Answer(QTcpSocket* socket)
    {
        ++connections;
        socket->setParent(&context);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            socket->readAll();
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    EventLoopThread thread;
    QObject& context = thread.Context();
    bool listening = false;
    std::atomic<int> connections { 0 };
};

// Records what the starter asks the shell to start; answers as told.
class ShellRecorder {
public:
    ShellRecorder()
    {
        previous = platform::SetShellHandler([this](const platform::ShellRequest& request) {
            requests.push_back(request);
            if (onStart)
                onStart(request);
            return started;
        });
    }
    ~ShellRecorder() { platform::SetShellHandler(previous); }
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    std::vector<platform::ShellRequest> requests;
    bool started = true;
    std::function<void(const platform::ShellRequest&)> onStart;

private:
    platform::ShellHandler previous;
};

} // namespace

struct AddressCase {
    const char* url;
    const char* defaultUrl;
    bool isDefault;
};

void PrintTo(const AddressCase& address, std::ostream* out)
{
    *out << '"' << address.url << "\" against \"" << address.defaultUrl << '"';
}

class DefaultServiceAddress : public testing::TestWithParam<AddressCase> { };

TEST_P(DefaultServiceAddress, OnlyALoopbackSpellingOfTheDefaultCounts)
{
    EXPECT_EQ(IsDefaultServiceAddress(GetParam().url, GetParam().defaultUrl), GetParam().isDefault);
}

INSTANTIATE_TEST_SUITE_P(Addresses, DefaultServiceAddress,
    testing::Values(AddressCase { "http://localhost:8787", ServiceURL, true },
        AddressCase { "http://localhost:8787/", ServiceURL, true },
        AddressCase { "http://127.0.0.1:8787", ServiceURL, true },
        AddressCase { "http://localhost:8788", ServiceURL, false },
        AddressCase { "http://localhost", ServiceURL, false },
        AddressCase { "https://localhost:8787", ServiceURL, false },
        AddressCase { "http://example.org:8787", ServiceURL, false },
        AddressCase { "http://192.168.1.5:8787", ServiceURL, false },
        AddressCase { "http://localhost:8787/translate", ServiceURL, false },
        AddressCase { "http://localhost:8787/?sl=en", ServiceURL, false },
        AddressCase { "http://user@localhost:8787", ServiceURL, false },
        AddressCase { "", ServiceURL, false },
        AddressCase { "http://127.0.0.1:4000", "http://localhost:4000", true },
        AddressCase { "http://example.org:4000", "http://example.org:4000", false }));

class ServiceStart : public testing::Test {
protected:
    ServiceStart() { starter->WaitLimit = 10s; }

    bool Prepare(const std::string& url)
    {
        return starter->Prepare(url, [this] {
            ++readyCalls;
            readyAt = std::chrono::steady_clock::now();
        });
    }

    [[nodiscard]] bool WaitUntilReady() const
    {
        return QTest::qWaitFor([this] { return readyCalls > 0; }, 8000);
    }

    std::uint16_t port = FreePort();
    ShellRecorder shell;
    std::unique_ptr<ServiceStarter> starter
        = std::make_unique<ServiceStarter>(ProgramFolder, nullptr, LocalUrl(port));
    int readyCalls = 0;
    std::chrono::steady_clock::time_point readyAt;
};

TEST_F(ServiceStart, NothingListeningStartsTheServiceFromTheProgramFolder)
{
    shell.started = false;
    EXPECT_FALSE(Prepare(LocalUrl(port)));
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0].target, "/opt/tornalo/tornalo-service");
    EXPECT_EQ(shell.requests[0].parameters, "--port " + std::to_string(port) + " --idle-exit 600");
    EXPECT_EQ(shell.requests[0].directory, ProgramFolder);
}

TEST_F(ServiceStart, AServiceThatCannotBeStartedLetsTheRunGoOnAtOnce)
{
    shell.started = false;
    EXPECT_FALSE(Prepare(LocalUrl(port)));
    EXPECT_EQ(readyCalls, 1);
}

TEST_F(ServiceStart, ReadyWaitsUntilTheStartedServiceAnswers)
{
    std::unique_ptr<LateService> service;
    shell.onStart = [&](const platform::ShellRequest&) {
        QTimer::singleShot(
            400ms, starter.get(), [&] { service = std::make_unique<LateService>(port); });
    };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Prepare(LocalUrl(port)));
    EXPECT_EQ(readyCalls, 0);
    ASSERT_TRUE(WaitUntilReady());
    ASSERT_TRUE(service && service->Listening());
    EXPECT_GE(service->Connections(), 1);
    EXPECT_GE(readyAt - start, 400ms);
    EXPECT_LT(readyAt - start, starter->WaitLimit);
    QTest::qWait(300);
    EXPECT_EQ(readyCalls, 1);
}

TEST_F(ServiceStart, AServiceThatNeverAnswersEndsTheWaitAtTheLimit)
{
    starter->WaitLimit = 500ms;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Prepare(LocalUrl(port)));
    ASSERT_TRUE(WaitUntilReady());
    EXPECT_GE(readyAt - start, 500ms);
    EXPECT_LT(readyAt - start, 3s);
    QTest::qWait(300);
    EXPECT_EQ(readyCalls, 1);
    EXPECT_EQ(shell.requests.size(), 1u);
}

TEST_F(ServiceStart, TheLoopbackNumberNamesTheDefaultAddressToo)
{
    shell.started = false;
    Prepare("http://127.0.0.1:" + std::to_string(port) + "/");
    EXPECT_EQ(shell.requests.size(), 1u);
}

TEST_F(ServiceStart, AnotherAddressStartsNothing)
{
    TestHttpServer other;
    EXPECT_FALSE(Prepare(other.Url()));
    EXPECT_FALSE(Prepare(LocalUrl(FreePort())));
    EXPECT_FALSE(Prepare("http://example.org/"));
    EXPECT_TRUE(shell.requests.empty());
    EXPECT_EQ(readyCalls, 3);
    EXPECT_TRUE(other.Requests().empty());
}

TEST_F(ServiceStart, ASecondPrepareDuringTheWaitJoinsIt)
{
    starter->WaitLimit = 300ms;
    EXPECT_TRUE(Prepare(LocalUrl(port)));
    EXPECT_TRUE(Prepare(LocalUrl(port)));
    EXPECT_EQ(shell.requests.size(), 1u);
    ASSERT_TRUE(QTest::qWaitFor([this] { return readyCalls == 2; }, 5000));
}

TEST_F(ServiceStart, AStarterDestroyedDuringTheWaitNeverCallsReady)
{
    EXPECT_TRUE(Prepare(LocalUrl(port)));
    starter.reset();
    QTest::qWait(300);
    EXPECT_EQ(readyCalls, 0);
}

class ServiceAlreadyThere : public ServiceStart {
protected:
    ServiceAlreadyThere()
    {
        starter = std::make_unique<ServiceStarter>(ProgramFolder, nullptr, server.Url());
    }

    TestHttpServer server;
};

TEST_F(ServiceAlreadyThere, AnAnsweringServiceStartsNothing)
{
    server.Respond(ScriptedResponse::Ok("<html>Translate</html>"));
    EXPECT_FALSE(Prepare(server.Url()));
    EXPECT_EQ(readyCalls, 1);
    EXPECT_TRUE(shell.requests.empty());
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].target, "/");
}

TEST_F(ServiceAlreadyThere, AnyHttpAnswerCountsAsTheService)
{
    server.Respond(ScriptedResponse::Status(404));
    EXPECT_FALSE(Prepare(server.Url()));
    EXPECT_TRUE(shell.requests.empty());
}

TEST_F(ServiceAlreadyThere, SomethingElseHoldingThePortStartsNothing)
{
    ScriptedResponse hangUp;
    hangUp.closeAtOnce = true;
    server.Respond(hangUp);
    EXPECT_FALSE(Prepare(server.Url()));
    EXPECT_EQ(readyCalls, 1);
    EXPECT_TRUE(shell.requests.empty());
}

TEST_F(ServiceAlreadyThere, ASilentListenerHoldsTheRunOnlyBriefly)
{
    ScriptedResponse silence;
    silence.silent = true;
    server.Respond(silence);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Prepare(server.Url()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_TRUE(shell.requests.empty());
}

// The window with a starter that looks after a free port instead of the
// design's, so that nothing here depends on who holds that port.
class WindowServiceStart : public RunFixture {
protected:
    WindowServiceStart()
    {
        delete form->serviceStarter;
        form->serviceStarter = new ServiceStarter(folder.Path(), form.get(), LocalUrl(port));
        form->achtp->URL = LocalUrl(port);
        Type("Hello");
        Tick("French");
    }

    std::uint16_t port = FreePort();
    ShellRecorder shell;
};

TEST_F(WindowServiceStart, TranslateNowStartsTheServiceBeforeTheFirstRequest)
{
    shell.started = false;
    RunToEnd();
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0].target, folder.Path() + "tornalo-service");
    EXPECT_EQ(shell.requests[0].parameters, "--port " + std::to_string(port) + " --idle-exit 600");
    EXPECT_EQ(Status(), "Ready.  Error.");
}

TEST_F(WindowServiceStart, TheStatusBarTellsOfTheStartWhileTheWindowWaits)
{
    form->serviceStarter->WaitLimit = 400ms;
    Click(form->ButtonTranslate);
    EXPECT_EQ(Status(), "Starting the translation service ...");
    EXPECT_FALSE(Idle());
    EXPECT_EQ(form->runEngine->Step(), 0);
    ASSERT_TRUE(WaitUntil([&] { return Idle(); })) << Status();
    EXPECT_EQ(Status(), "Ready.  Error.");
}

TEST_F(WindowServiceStart, AbortDuringTheWaitEndsTheRunWithoutARequest)
{
    form->serviceStarter->WaitLimit = 400ms;
    Click(form->ButtonTranslate);
    Click(form->ButtonStop);
    ASSERT_TRUE(WaitUntil([&] { return Idle(); })) << Status();
    EXPECT_EQ(Status(), "Ready.  Aborted.");
    EXPECT_EQ(form->runEngine->Step(), -1);
    EXPECT_TRUE(form->MemoDebugInfo->IsEmpty());
}

TEST_F(WindowServiceStart, ARunAgainstAnotherServiceStartsNothing)
{
    form->achtp->URL = service.URL();
    RunToEnd();
    EXPECT_TRUE(shell.requests.empty());
    EXPECT_EQ(Status(), "Ready.");
    EXPECT_EQ(service.RequestCount(), 2u);
}
