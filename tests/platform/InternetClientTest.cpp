#include "tests/platform/InternetFixture.h"

using platform::InternetError;
using platform::InternetHeader;

class InternetClientTest : public InternetFixture {
protected:
    TestHttpServer server;
};

TEST_F(InternetClientTest, GetSendsRequestLineAndHeaders)
{
    server.Respond(ScriptedResponse::Ok("hello"));
    requestSettings.Referrer = "http://referrer.example/language_tools";
    requestSettings.AcceptTypes = { "text/html, */*" };
    auto request = Open(server, "/path?q=a%20b");
    ASSERT_TRUE(request->Send()) << request->LastFailure().Text;
    EXPECT_EQ(ReadAll(*request), "hello");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].head,
        "GET /path?q=a%20b HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.Port())
            + "\r\nUser-Agent: Tornalo-Test/1.0\r\nReferer: http://referrer.example/language_tools\r\n"
              "Accept: text/html, */*\r\n\r\n");
}
