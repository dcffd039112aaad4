// Connections kept open between requests for the whole process: each request
// here runs in a session of its own, as each transfer of the program does.
#include "tests/platform/InternetFixture.h"

using platform::InternetAccess;

class InternetKeptConnectionTest : public InternetFixture {
protected:
    void SetUp() override { requestSettings.KeepConnection = true; }

    // A POST in a new session, read to its end; the body, or why it failed.
    std::string PostInNewSession(TestHttpServer& server, const std::string& body = "text=hello")
    {
        connection.reset();
        session.reset();
        auto request = Open(server, "/", "POST");
        if (!request->Send("Content-Type: application/x-www-form-urlencoded", body))
            return "failed: " + request->LastFailure().Text;
        return ReadAll(*request);
    }

    TestHttpServer server;
};

TEST_F(InternetKeptConnectionTest, TheNextSessionsRequestGoesOutOnTheKeptConnection)
{
    server.Respond(ScriptedResponse::Ok("page"));
    EXPECT_EQ(PostInNewSession(server, "text=one"), "page");
    EXPECT_EQ(PostInNewSession(server, "text=two"), "page");
    EXPECT_EQ(server.ConnectionCount(), 1);
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[1].body, "text=two");
}

TEST_F(InternetKeptConnectionTest, WithoutKeepConnectionEachRequestHasItsOwn)
{
    server.Respond(ScriptedResponse::Ok("page"));
    EXPECT_EQ(PostInNewSession(server), "page");
    requestSettings.KeepConnection = false;
    EXPECT_EQ(PostInNewSession(server), "page");
    EXPECT_EQ(PostInNewSession(server), "page");
    EXPECT_EQ(server.ConnectionCount(), 3);
}

// However the server ends a kept connection, the next request is answered
// on a new one, with nothing to show for it but the count of connections.
TEST_F(InternetKeptConnectionTest, AConnectionTheServerEndedIsReplacedUnnoticed)
{
    for (const ConnectionEnding& test : ConnectionEndings("page")) {
        SCOPED_TRACE(test.name);
        TestHttpServer ending;
        ending.Enqueue(test.first);
        if (test.next)
            ending.Enqueue(*test.next);
        ending.Respond(ScriptedResponse::Ok("second page"));
        EXPECT_EQ(PostInNewSession(ending, "text=one"), "page");
        EXPECT_EQ(PostInNewSession(ending, "text=two"), "second page");
        EXPECT_EQ(ending.ConnectionCount(), 2);
        EXPECT_EQ(ending.Requests().back().body, "text=two");
        EXPECT_EQ(ending.Requests().back().connection, 1);
    }
}

TEST_F(InternetKeptConnectionTest, AFreshConnectionThatFailsIsNotTriedAgain)
{
    ScriptedResponse silentClose;
    silentClose.closeAtOnce = true;
    server.Respond(silentClose);
    EXPECT_EQ(PostInNewSession(server).substr(0, 7), "failed:");
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(InternetKeptConnectionTest, AConnectionThroughAProxyIsKeptOnlyForTheSameCredentials)
{
    server.Respond(ScriptedResponse::Ok("from proxy"));
    const auto throughProxy = [this](const std::string& user) {
        connection.reset();
        session.reset();
        sessionSettings.Access = InternetAccess::UseProxy;
        sessionSettings.ProxyServer = "127.0.0.1";
        sessionSettings.ProxyPort = server.Port();
        requestSettings.Target = "/";
        connection = Session().Connect("origin.test", 8080);
        auto request = connection->OpenRequest(requestSettings);
        request->SetProxyCredentials(user, "secret");
        EXPECT_TRUE(request->Send()) << request->LastFailure().Text;
        EXPECT_EQ(ReadAll(*request), "from proxy");
    };
    throughProxy("first");
    throughProxy("first");
    EXPECT_EQ(server.ConnectionCount(), 1);
    throughProxy("second");
    EXPECT_EQ(server.ConnectionCount(), 2);
}
