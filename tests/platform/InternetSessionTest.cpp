#include "tests/platform/InternetFixture.h"

#include <thread>

using platform::InternetError;
using platform::InternetHeader;
using platform::InternetStatus;

namespace {

using Clock = std::chrono::steady_clock;

} // namespace

class InternetSessionTest : public InternetFixture {
protected:
    std::string Fetch(const std::string& target)
    {
        auto request = Open(server, target);
        EXPECT_TRUE(request->Send()) << request->LastFailure().Text;
        return ReadAll(*request);
    }

    TestHttpServer server;
};

TEST_F(InternetSessionTest, KeptConnectionServesTheNextRequest)
{
    server.Respond(ScriptedResponse::Ok("page"));
    requestSettings.KeepConnection = true;
    EXPECT_EQ(Fetch("/one"), "page");
    EXPECT_EQ(Fetch("/two"), "page");
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.ConnectionCount(), 1);
    EXPECT_EQ(server.Requests()[1].connection, 0);
}

TEST_F(InternetSessionTest, WithoutKeepConnectionEachRequestConnectsAnew)
{
    server.Respond(ScriptedResponse::Ok("page"));
    EXPECT_EQ(Fetch("/one"), "page");
    EXPECT_EQ(Fetch("/two"), "page");
    EXPECT_EQ(server.ConnectionCount(), 2);
}

TEST_F(InternetSessionTest, ConnectionClosedByTheServerIsNotReused)
{
    ScriptedResponse closing = ScriptedResponse::Ok("page");
    closing.keepAlive = false;
    server.Respond(closing);
    requestSettings.KeepConnection = true;
    EXPECT_EQ(Fetch("/one"), "page");
    EXPECT_EQ(Fetch("/two"), "page");
    EXPECT_EQ(server.ConnectionCount(), 2);
}

TEST_F(InternetSessionTest, BodyLeftUnreadDoesNotSpoilTheNextRequest)
{
    server.RespondTo("/big", ScriptedResponse::Ok(std::string(100000, 'b')));
    server.RespondTo("/small", ScriptedResponse::Ok("small"));
    requestSettings.KeepConnection = true;
    {
        auto request = Open(server, "/big");
        ASSERT_TRUE(request->Send());
        char buffer[100];
        EXPECT_EQ(request->Read(buffer, sizeof buffer), 100);
    }
    EXPECT_EQ(Fetch("/small"), "small");
}

TEST_F(InternetSessionTest, CookiesAreKeptForTheSession)
{
    server.RespondTo(
        "/set", ScriptedResponse::Ok("set").With("Set-Cookie", "flavour=plain; Path=/"));
    server.Respond(ScriptedResponse::Ok("page"));
    Fetch("/set");
    Fetch("/next");
    EXPECT_EQ(server.Requests().at(1).Header("Cookie"), "flavour=plain");
}

TEST_F(InternetSessionTest, CookiesAreNotSharedBetweenSessions)
{
    server.RespondTo(
        "/set", ScriptedResponse::Ok("set").With("Set-Cookie", "flavour=plain; Path=/"));
    server.Respond(ScriptedResponse::Ok("page"));
    Fetch("/set");
    connection.reset();
    session.reset();
    Fetch("/next");
    EXPECT_FALSE(server.Requests().at(1).Header("Cookie"));
}

TEST_F(InternetSessionTest, NoCookiesNeitherStoresNorSends)
{
    server.RespondTo(
        "/set", ScriptedResponse::Ok("set").With("Set-Cookie", "flavour=plain; Path=/"));
    server.Respond(ScriptedResponse::Ok("page"));
    requestSettings.NoCookies = true;
    Fetch("/set");
    requestSettings.NoCookies = false;
    Fetch("/next");
    EXPECT_FALSE(server.Requests().at(1).Header("Cookie"));
}

TEST_F(InternetSessionTest, NoCookiesSendsNoneOfTheStoredOnes)
{
    server.RespondTo(
        "/set", ScriptedResponse::Ok("set").With("Set-Cookie", "flavour=plain; Path=/"));
    server.Respond(ScriptedResponse::Ok("page"));
    Fetch("/set");
    requestSettings.NoCookies = true;
    Fetch("/next");
    EXPECT_FALSE(server.Requests().at(1).Header("Cookie"));
}

TEST_F(InternetSessionTest, ReceiveTimeOutEndsAWaitForTheStatus)
{
    ScriptedResponse late = ScriptedResponse::Ok("late");
    late.delayBeforeStatus = Milliseconds(3000);
    server.Respond(late);
    auto request = Open(server, "/");
    request->SetReceiveTimeout(300);
    const auto start = Clock::now();
    EXPECT_FALSE(request->Send());
    EXPECT_EQ(request->LastFailure().Code, InternetError::TimedOut);
    EXPECT_LT(Clock::now() - start, Milliseconds(2000));
}

TEST_F(InternetSessionTest, ReceiveTimeOutEndsAStalledBody)
{
    ScriptedResponse stalled = ScriptedResponse::Ok(std::string(2000, 's'));
    stalled.delayAfterBytes = 1000;
    stalled.delayInBody = Milliseconds(3000);
    server.Respond(stalled);
    auto request = Open(server, "/");
    request->SetReceiveTimeout(300);
    ASSERT_TRUE(request->Send());
    std::vector<char> buffer(2000);
    const auto start = Clock::now();
    EXPECT_EQ(request->Read(buffer.data(), 2000), -1);
    EXPECT_EQ(request->LastFailure().Code, InternetError::TimedOut);
    EXPECT_LT(Clock::now() - start, Milliseconds(2000));
}

TEST_F(InternetSessionTest, SendTimeOutDoesNotLimitTheWaitForTheReply)
{
    ScriptedResponse late = ScriptedResponse::Ok("late");
    late.delayBeforeStatus = Milliseconds(700);
    server.Respond(late);
    auto request = Open(server, "/", "POST");
    request->SetSendTimeout(200);
    ASSERT_TRUE(request->Send({}, "small body")) << request->LastFailure().Text;
    EXPECT_EQ(ReadAll(*request), "late");
}

TEST_F(InternetSessionTest, WithoutTimeOutASlowServerIsAwaited)
{
    ScriptedResponse late = ScriptedResponse::Ok("late");
    late.delayBeforeStatus = Milliseconds(700);
    server.Respond(late);
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(ReadAll(*request), "late");
}

TEST_F(InternetSessionTest, InterruptFromAnotherThreadEndsASendPromptly)
{
    ScriptedResponse silent;
    silent.silent = true;
    server.Respond(silent);
    auto request = Open(server, "/");
    auto interrupt = Session().Interrupt();
    std::thread stopper([interrupt] {
        std::this_thread::sleep_for(Milliseconds(300));
        interrupt->store(true);
    });
    const auto start = Clock::now();
    EXPECT_FALSE(request->Send());
    const auto elapsed = Clock::now() - start;
    stopper.join();
    EXPECT_EQ(request->LastFailure().Code, InternetError::Cancelled);
    EXPECT_GE(elapsed, Milliseconds(250));
    EXPECT_LT(elapsed, Milliseconds(300 + PromptnessAllowance));
}

TEST_F(InternetSessionTest, InterruptEndsAReadPromptly)
{
    ScriptedResponse stalled = ScriptedResponse::Ok(std::string(2000, 's'));
    stalled.delayAfterBytes = 1000;
    stalled.delayInBody = Milliseconds(5000);
    server.Respond(stalled);
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    auto interrupt = Session().Interrupt();
    std::thread stopper([interrupt] {
        std::this_thread::sleep_for(Milliseconds(300));
        interrupt->store(true);
    });
    std::vector<char> buffer(2000);
    const auto start = Clock::now();
    EXPECT_EQ(request->Read(buffer.data(), 2000), -1);
    const auto elapsed = Clock::now() - start;
    stopper.join();
    EXPECT_EQ(request->LastFailure().Code, InternetError::Cancelled);
    EXPECT_LT(elapsed, Milliseconds(300 + PromptnessAllowance));
}

TEST_F(InternetSessionTest, InterruptGivenWithTheSettingsIsTheSessionsOwn)
{
    sessionSettings.Interrupt = std::make_shared<std::atomic<bool>>(true);
    server.Respond(ScriptedResponse::Ok("page"));
    auto request = Open(server, "/");
    EXPECT_EQ(Session().Interrupt(), sessionSettings.Interrupt);
    EXPECT_FALSE(request->Send());
    EXPECT_EQ(request->LastFailure().Code, InternetError::Cancelled);
    EXPECT_EQ(server.ConnectionCount(), 0);
}

TEST_F(InternetSessionTest, InterruptedSessionReportsNothingMore)
{
    server.Respond(ScriptedResponse::Ok("page"));
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    const std::size_t reported = Notes().size();
    Session().Interrupt()->store(true);
    char buffer[16];
    request->Read(buffer, sizeof buffer);
    request.reset();
    connection.reset();
    session.reset();
    EXPECT_EQ(Notes().size(), reported);
}

TEST_F(InternetSessionTest, FreshConnectionReportsEachStepInOrder)
{
    server.Respond(ScriptedResponse::Ok("page"));
    {
        auto request = Open(server, "/");
        ASSERT_TRUE(request->Send());
        ReadAll(*request);
    }
    connection.reset();
    session.reset();
    const std::vector<InternetStatus> expected { InternetStatus::HandleCreated,
        InternetStatus::HandleCreated, InternetStatus::ResolvingName, InternetStatus::NameResolved,
        InternetStatus::ConnectingToServer, InternetStatus::ConnectedToServer,
        InternetStatus::SendingRequest, InternetStatus::RequestSent,
        InternetStatus::ReceivingResponse, InternetStatus::ResponseReceived };
    const auto statuses = Statuses();
    ASSERT_GE(statuses.size(), expected.size());
    EXPECT_EQ(std::vector<InternetStatus>(statuses.begin(), statuses.begin() + expected.size()),
        expected);
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), InternetStatus::ClosingConnection),
        statuses.end());
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), InternetStatus::ConnectionClosed),
        statuses.end());
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), InternetStatus::HandleClosing), 2);
    EXPECT_EQ(Notes()[3].second, "127.0.0.1");
}

TEST_F(InternetSessionTest, ReusedConnectionReportsNoConnecting)
{
    server.Respond(ScriptedResponse::Ok("page"));
    requestSettings.KeepConnection = true;
    Fetch("/one");
    const std::size_t before = Notes().size();
    Fetch("/two");
    const auto notes = Notes();
    for (std::size_t i = before; i < notes.size(); ++i) {
        EXPECT_NE(notes[i].first, InternetStatus::ConnectingToServer);
        EXPECT_NE(notes[i].first, InternetStatus::ConnectedToServer);
    }
}
