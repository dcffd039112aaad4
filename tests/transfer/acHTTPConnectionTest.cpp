// Consecutive transfers of one component and the connections they go out on.
#include "tests/transfer/HttpFixture.h"

namespace {

using Events = std::vector<std::string>;

class ConnectionTest : public HttpFixture {
protected:
    void SetUp() override
    {
        HttpFixture::SetUp();
        http->RequestMethod = rmPOST;
        http->TransferBufferSize = 32000;
        LogCompletionEvents();
    }

    // Two requests to the server, one after the other, each with its body.
    Events RunTwice(TestHttpServer& target)
    {
        http->URL = target.Url("/");
        for (const char* body : { "text=one", "text=two" }) {
            http->POSTData = body;
            EXPECT_TRUE(http->Read(false));
            EXPECT_TRUE(WaitUntilIdle());
        }
        SettleBriefly();
        return Texts();
    }
};

TEST_F(ConnectionTest, ConsecutiveRequestsWithKeepConnectionShareOneConnection)
{
    server.Respond(ScriptedResponse::Ok("reply"));
    EXPECT_EQ(RunTwice(server), (Events { "Done(text/html,5,null)", "Done(text/html,5,null)" }));
    EXPECT_EQ(server.ConnectionCount(), 1);
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[1].body, "text=two");
}

TEST_F(ConnectionTest, WithoutKeepConnectionEachRequestHasItsOwnConnection)
{
    http->InternetOptions = {};
    server.Respond(ScriptedResponse::Ok("reply"));
    EXPECT_EQ(RunTwice(server), (Events { "Done(text/html,5,null)", "Done(text/html,5,null)" }));
    EXPECT_EQ(server.ConnectionCount(), 2);
}

TEST_F(ConnectionTest, AServerClosingTheConnectionBetweenRequestsIsTransparent)
{
    for (const ConnectionEnding& test : ConnectionEndings("first")) {
        SCOPED_TRACE(test.name);
        TestHttpServer ending;
        ending.Enqueue(test.first);
        if (test.next)
            ending.Enqueue(*test.next);
        ending.Respond(ScriptedResponse::Ok("second"));
        log.clear();
        EXPECT_EQ(
            RunTwice(ending), (Events { "Done(text/html,5,null)", "Done(text/html,6,null)" }));
        EXPECT_EQ(ReadFileBytes(output), "second");
        EXPECT_EQ(ending.ConnectionCount(), 2);
        EXPECT_EQ(ending.Requests().back().body, "text=two");
    }
}

} // namespace
