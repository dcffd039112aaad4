#include "run/ServiceStarter.h"
#include "platform/SocketOwners.h"
#include "tests/support/ForeignUser.h"

#include "tests/app/RunFixture.h"
#include "tests/support/EventLoopThread.h"
#include "tests/support/ProgramRecorder.h"
#include "tests/support/TestHttpServer.h"

#include <QProcess>
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
        return starter->Prepare(
            url,
            [this](const ServiceReadiness& readiness) {
                ++readyCalls;
                readyAt = std::chrono::steady_clock::now();
                outcome = readiness;
            },
            [this] { ++startingCalls; });
    }

    [[nodiscard]] bool WaitUntilReady() const
    {
        return QTest::qWaitFor([this] { return readyCalls > 0; }, 8000);
    }

    std::uint16_t port = FreePort();
    ProgramRecorder programs;
    std::unique_ptr<ServiceStarter> starter
        = std::make_unique<ServiceStarter>(ProgramFolder, nullptr, LocalUrl(port));
    int readyCalls = 0;
    int startingCalls = 0;
    ServiceReadiness outcome;
    std::chrono::steady_clock::time_point readyAt;
};

TEST_F(ServiceStart, NothingListeningStartsTheServiceFromTheProgramFolder)
{
    programs.state->running = false;
    EXPECT_TRUE(Prepare(LocalUrl(port)));
    EXPECT_EQ(readyCalls, 0);
    ASSERT_TRUE(WaitUntilReady());
    ASSERT_EQ(programs.commands.size(), 1u);
    EXPECT_EQ(programs.commands[0].program, "/opt/tornalo/tornalo-service");
    EXPECT_EQ(programs.commands[0].arguments,
        std::vector<std::string>({ "--port", std::to_string(port), "--idle-exit", "600",
            "--port-file", ServicePortFile(LocalUrl(port)) }));
    EXPECT_EQ(programs.commands[0].directory, ProgramFolder);
    EXPECT_EQ(startingCalls, 1);
}

// What the program printed reaches the report only when it did not come up.
TEST_F(ServiceStart, AProgramThatCannotBeStartedEndsTheWaitWithTheReason)
{
    programs.state->started = false;
    programs.state->output = "could not start /opt/tornalo/tornalo-service: No such file";
    EXPECT_TRUE(Prepare(LocalUrl(port)));
    ASSERT_TRUE(WaitUntilReady());
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.report,
        "/opt/tornalo/tornalo-service --port " + std::to_string(port)
            + " --idle-exit 600 --port-file " + ServicePortFile(LocalUrl(port))
            + "\ncould not start /opt/tornalo/tornalo-service: No such file");
    EXPECT_EQ(startingCalls, 0);
}

TEST_F(ServiceStart, AServiceThatEndsAtOnceEndsTheWaitWithWhatItPrinted)
{
    programs.state->output = "tornalo-service: cannot listen on 127.0.0.1\n";
    programs.onStart = [&](const platform::ProgramCommand&) { programs.state->running = false; };
    const auto start = std::chrono::steady_clock::now();
    Prepare(LocalUrl(port));
    ASSERT_TRUE(WaitUntilReady());
    EXPECT_LT(readyAt - start, 3s);
    EXPECT_TRUE(outcome.failed);
    EXPECT_NE(outcome.report.find(
                  "\ntornalo-service: cannot listen on 127.0.0.1\nIt ended without answering."),
        std::string::npos)
        << outcome.report;
}

TEST_F(ServiceStart, ReadyWaitsUntilTheStartedServiceAnswers)
{
    std::unique_ptr<LateService> service;
    programs.state->output = "tornalo-service: listening";
    programs.onStart = [&](const platform::ProgramCommand&) {
        QTimer::singleShot(
            400ms, starter.get(), [&] { service = std::make_unique<LateService>(port); });
    };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Prepare(LocalUrl(port)));
    ASSERT_TRUE(WaitUntilReady());
    ASSERT_TRUE(service && service->Listening());
    EXPECT_GE(service->Connections(), 1);
    EXPECT_FALSE(outcome.failed);
    EXPECT_EQ(outcome.report, "");
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
    EXPECT_TRUE(outcome.failed);
    EXPECT_NE(
        outcome.report.find("\n(it printed nothing)\nIt did not answer within 500 milliseconds."),
        std::string::npos)
        << outcome.report;
    QTest::qWait(300);
    EXPECT_EQ(readyCalls, 1);
    EXPECT_EQ(programs.commands.size(), 1u);
}

TEST_F(ServiceStart, TheLoopbackNumberNamesTheDefaultAddressToo)
{
    programs.state->running = false;
    Prepare("http://127.0.0.1:" + std::to_string(port) + "/");
    ASSERT_TRUE(WaitUntilReady());
    EXPECT_EQ(programs.commands.size(), 1u);
}

TEST_F(ServiceStart, AnotherAddressStartsNothingAndIsReadyAtOnce)
{
    TestHttpServer other;
    EXPECT_FALSE(Prepare(other.Url()));
    EXPECT_FALSE(Prepare(LocalUrl(FreePort())));
    EXPECT_FALSE(Prepare("http://example.org/"));
    EXPECT_EQ(readyCalls, 3);
    EXPECT_FALSE(outcome.failed);
    QTest::qWait(200);
    EXPECT_TRUE(programs.commands.empty());
    EXPECT_TRUE(other.Requests().empty());
}

TEST_F(ServiceStart, ASecondPrepareDuringTheWaitJoinsIt)
{
    starter->WaitLimit = 300ms;
    EXPECT_TRUE(Prepare(LocalUrl(port)));
    EXPECT_TRUE(Prepare(LocalUrl(port)));
    ASSERT_TRUE(QTest::qWaitFor([this] { return readyCalls == 2; }, 5000));
    EXPECT_EQ(programs.commands.size(), 1u);
    EXPECT_EQ(startingCalls, 2);
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

TEST_F(ServiceAlreadyThere, AnyHttpAnswerCountsAsTheService)
{
    for (const int status : { 200, 404 }) {
        readyCalls = 0;
        server.Respond(ScriptedResponse::Status(status));
        Prepare(server.Url());
        ASSERT_TRUE(WaitUntilReady()) << status;
        EXPECT_FALSE(outcome.failed);
        EXPECT_TRUE(programs.commands.empty());
        EXPECT_EQ(server.Requests().back().target, "/");
    }
}

// A service of another version is asked to stop; once its port is free this
// version's own service takes it.
TEST_F(ServiceAlreadyThere, AServiceOfAnotherVersionIsAskedToStopAndReplaced)
{
    std::atomic<bool> stopAsked = false;
    server.Handle([&](const RecordedRequest& request) {
        if (request.target == "/stop")
            stopAsked = true;
        return ScriptedResponse::Ok(
            "<html><head><meta name=\"tornalo-version\" content=\"0.0.1\"></head></html>");
    });
    Prepare(server.Url());
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopAsked.load(); }, 5000));
    server.Stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !programs.commands.empty(); }, 5000));
    EXPECT_EQ(programs.commands[0].arguments[1], std::to_string(server.Port()));
}

// A service that another user runs at the address is never used: this
// user's own takes a port of its own.
TEST_F(ServiceStart, AnotherUsersServiceAtTheAddressIsPassedOver)
{
    const ForeignUser other;
    if (!other.Available())
        GTEST_SKIP() << other.Reason();
    QStringList command;
    for (const std::string& part : other.AsThisUser(SERVICE_PROGRAM))
        command << QString::fromStdString(part);
    command << QStringLiteral("--port") << QString::number(port);
    QProcess foreign;
    foreign.start(command.takeFirst(), command);
    ASSERT_TRUE(QTest::qWaitFor([&] { return platform::ListenerOwner(port).has_value(); }, 5000));
    Prepare(LocalUrl(port));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !programs.commands.empty(); }, 5000));
    EXPECT_EQ(programs.commands[0].arguments[1], "0");
    foreign.terminate();
    foreign.waitForFinished(5000);
}

// Something else that holds the port makes the started service fail, and
// the service's own message then says why.
TEST_F(ServiceAlreadyThere, SomethingElseHoldingThePortIsNoService)
{
    ScriptedResponse hangUp;
    hangUp.closeAtOnce = true;
    server.Respond(hangUp);
    programs.state->running = false;
    Prepare(server.Url());
    ASSERT_TRUE(WaitUntilReady());
    EXPECT_EQ(programs.commands.size(), 1u);
    EXPECT_TRUE(outcome.failed);
}

// The window's thread goes on while a listener that never answers holds the
// question: an event posted meanwhile is handled at once.
TEST_F(ServiceAlreadyThere, ASilentListenerNeverHoldsTheCallersThread)
{
    ScriptedResponse silence;
    silence.silent = true;
    server.Respond(silence);
    programs.state->running = false;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Prepare(server.Url()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 50ms);
    ASSERT_TRUE(server.WaitForRequests(1));
    std::chrono::steady_clock::time_point handled;
    const auto posted = std::chrono::steady_clock::now();
    QTimer::singleShot(0, starter.get(), [&] { handled = std::chrono::steady_clock::now(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return handled != decltype(handled) {}; }, 1000));
    EXPECT_LT(handled - posted, 50ms);
    EXPECT_EQ(readyCalls, 0);
    ASSERT_TRUE(WaitUntilReady());
    EXPECT_EQ(programs.commands.size(), 1u);
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

    std::string DidNotStart() const
    {
        return "Ready.  Error: the translation service did not start; see Debug Information.";
    }

    std::uint16_t port = FreePort();
    ProgramRecorder programs;
};

TEST_F(WindowServiceStart, AServiceThatCannotBeStartedEndsTheRunNamingIt)
{
    programs.state->started = false;
    programs.state->output = "could not start it: No such file or directory";
    RunToEnd();
    ASSERT_EQ(programs.commands.size(), 1u);
    EXPECT_EQ(programs.commands[0].program, folder.Path() + "tornalo-service");
    EXPECT_EQ(Status(), DidNotStart());
    EXPECT_NE(
        Widget<TMemo>("MemoDebugInfo").Text().find("could not start it: No such file or directory"),
        std::string::npos);
    EXPECT_EQ(service.RequestCount(), 0u);
}

TEST_F(WindowServiceStart, TheStatusBarTellsOfTheStartWhileTheWindowWaits)
{
    form->serviceStarter->WaitLimit = 400ms;
    Click("ButtonTranslate");
    ASSERT_TRUE(WaitUntil([&] { return Status() == "Starting the translation service ..."; }))
        << Status();
    EXPECT_FALSE(Idle());
    EXPECT_EQ(form->Run().runEngine->Step(), 0);
    ASSERT_TRUE(WaitUntil([&] { return Idle(); })) << Status();
    EXPECT_EQ(Status(), DidNotStart());
}

TEST_F(WindowServiceStart, AbortDuringTheWaitEndsTheRunWithoutARequest)
{
    form->serviceStarter->WaitLimit = 400ms;
    Click("ButtonTranslate");
    Click("ButtonStop");
    ASSERT_TRUE(WaitUntil([&] { return Idle(); })) << Status();
    EXPECT_EQ(Status(), "Ready.  Aborted.");
    EXPECT_EQ(form->Run().runEngine->Step(), -1);
    EXPECT_TRUE(Widget<TMemo>("MemoDebugInfo").IsEmpty());
}

TEST_F(WindowServiceStart, OpeningTheWindowStartsTheServiceWithoutAClick)
{
    form->WatchServiceLanguages();
    ASSERT_TRUE(QTest::qWaitFor([&] { return programs.commands.size() == 1u; }, 2000));
    EXPECT_EQ(programs.commands[0].program, folder.Path() + "tornalo-service");
    EXPECT_TRUE(Idle());
    EXPECT_TRUE(Widget<TMemo>("MemoDebugInfo").IsEmpty());
}

// Once the service answers it is asked to prepare what the ticked languages
// need, again after each tick, and a run asks for its whole plan before its
// first step.
TEST_F(WindowServiceStart, TheServiceIsAskedToPrepareThePlanOfTheTickedLanguages)
{
    delete form->serviceStarter;
    form->serviceStarter = new ServiceStarter(folder.Path(), form.get(), service.URL());
    form->achtp->URL = service.URL();
    form->WatchServiceLanguages();
    ASSERT_TRUE(WaitUntil([&] { return service.Prepares().size() == 1u; }));
    EXPECT_EQ(service.Prepares()[0], "en|fr,fr|en");
    Tick("German");
    ASSERT_TRUE(WaitUntil([&] { return service.Prepares().size() == 2u; }));
    EXPECT_EQ(service.Prepares()[1], "en|fr,fr|en,en|de,de|en");
    EXPECT_TRUE(programs.commands.empty());
    EXPECT_EQ(service.RequestCount(), 0u);
    RunToEnd();
    EXPECT_EQ(service.Prepares(),
        (std::vector<std::string> {
            "en|fr,fr|en", "en|fr,fr|en,en|de,de|en", "en|fr,fr|en,en|de,de|en" }));
    EXPECT_EQ(service.RequestCount(), 4u);
}

TEST_F(WindowServiceStart, ARunAgainstAnotherServiceStartsNothing)
{
    form->achtp->URL = service.URL();
    RunToEnd();
    EXPECT_TRUE(programs.commands.empty());
    EXPECT_EQ(Status(), "Ready.");
    EXPECT_EQ(service.RequestCount(), 2u);
}

// A program of the service's name, started for real from the program folder,
// that prints a line and ends: the debug memo holds what it printed.
TEST_F(WindowServiceStart, AServiceThatEndsAtOnceLeavesWhatItPrintedInTheDebugMemo)
{
    platform::SetBackgroundProgramHandler({});
    const std::string script = folder.Script(
        "tornalo-service", "echo \"tornalo-service: cannot listen on port $2\" >&2\nexit 1\n");
    ASSERT_FALSE(script.empty());
    RunToEnd();
    EXPECT_EQ(Status(), DidNotStart());
    const std::string debug = Widget<TMemo>("MemoDebugInfo").Text();
    EXPECT_NE(debug.find(script + " --port " + std::to_string(port)
                  + " --idle-exit 600 --port-file " + ServicePortFile(LocalUrl(port)) + "\r\n"
                  + "tornalo-service: cannot listen on port " + std::to_string(port) + "\r\n"),
        std::string::npos)
        << debug;
    EXPECT_EQ(service.RequestCount(), 0u);
}
