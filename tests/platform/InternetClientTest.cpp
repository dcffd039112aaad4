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
            + "\r\nUser-Agent: Tornalo-Test/1.0\r\nReferer: "
              "http://referrer.example/language_tools\r\n"
              "Accept: text/html, */*\r\n\r\n");
}

TEST_F(InternetClientTest, PostSendsGivenContentTypeAndBodyExactly)
{
    server.Respond(ScriptedResponse::Ok("done"));
    auto request = Open(server, "/", "POST");
    const std::string body = "sl=en&tl=de&text=a%20b+c";
    ASSERT_TRUE(request->Send("Content-Type: application/x-www-form-urlencoded", body));
    EXPECT_EQ(ReadAll(*request), "done");
    const auto received = server.Requests().at(0);
    EXPECT_EQ(received.method, "POST");
    EXPECT_EQ(received.body, body);
    EXPECT_EQ(received.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(received.Header("Content-Length"), std::to_string(body.size()));
    EXPECT_FALSE(received.Header("Expect"));
}

TEST_F(InternetClientTest, PostWithEmptyBodyAnnouncesZeroLength)
{
    server.Respond(ScriptedResponse::Ok("done"));
    auto request = Open(server, "/", "POST");
    ASSERT_TRUE(request->Send("Content-Type: application/x-www-form-urlencoded", ""));
    const auto received = server.Requests().at(0);
    EXPECT_EQ(received.method, "POST");
    EXPECT_EQ(received.Header("Content-Length"), "0");
    EXPECT_EQ(received.Header("Content-Type"), "application/x-www-form-urlencoded");
}

TEST_F(InternetClientTest, PostWithoutContentTypeSendsNone)
{
    server.Respond(ScriptedResponse::Ok("done"));
    auto request = Open(server, "/", "POST");
    ASSERT_TRUE(request->Send({}, "x"));
    EXPECT_FALSE(server.Requests().at(0).Header("Content-Type"));
}

TEST_F(InternetClientTest, GetSendsNoBodyAndNoLength)
{
    server.Respond(ScriptedResponse::Ok("done"));
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    const auto received = server.Requests().at(0);
    EXPECT_FALSE(received.Header("Content-Length"));
    EXPECT_EQ(received.body, "");
}

TEST_F(InternetClientTest, BytesThatCannotStandOnTheRequestLineAreEscaped)
{
    server.Respond(ScriptedResponse::Ok("done"));
    auto request = Open(server, "/a b/\xC3\xA9#x?c=%2B");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(server.Requests().at(0).target, "/a%20b/%C3%A9%23x?c=%2B");
}

TEST_F(InternetClientTest, ReadsBlocksOfTheRequestedSize)
{
    const std::string body(10000, 'x');
    server.Respond(ScriptedResponse::Ok(body));
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    std::vector<char> buffer(4096);
    EXPECT_EQ(request->Read(buffer.data(), 4096), 4096);
    EXPECT_EQ(request->Read(buffer.data(), 4096), 4096);
    EXPECT_EQ(request->Read(buffer.data(), 4096), 10000 - 2 * 4096);
    EXPECT_EQ(request->Read(buffer.data(), 4096), 0);
    EXPECT_EQ(request->Read(buffer.data(), 4096), 0);
}

TEST_F(InternetClientTest, LargeBodyArrivesWholeInSmallBlocks)
{
    std::string body;
    for (int i = 0; i < 200000; ++i)
        body += char('a' + i % 26);
    server.Respond(ScriptedResponse::Ok(body));
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(ReadAll(*request, 255), body);
}

TEST_F(InternetClientTest, BodyArrivingSlowlyStillFillsWholeBlocks)
{
    ScriptedResponse response = ScriptedResponse::Ok(std::string(3000, 'y'));
    response.delayAfterBytes = 1000;
    response.delayInBody = Milliseconds(200);
    server.Respond(response);
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    std::vector<char> buffer(2000);
    EXPECT_EQ(request->Read(buffer.data(), 2000), 2000);
    EXPECT_EQ(request->Read(buffer.data(), 2000), 1000);
    EXPECT_EQ(request->Read(buffer.data(), 2000), 0);
}

TEST_F(InternetClientTest, SendReturnsWithTheHeadersBeforeTheBodyComes)
{
    ScriptedResponse response = ScriptedResponse::Ok("late body");
    response.delayAfterBytes = 0;
    response.delayInBody = Milliseconds(600);
    server.Respond(response);
    auto request = Open(server, "/");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(request->Send());
    EXPECT_LT(std::chrono::steady_clock::now() - start, Milliseconds(500));
    EXPECT_EQ(request->Query(InternetHeader::ContentLength), "9");
    EXPECT_EQ(ReadAll(*request), "late body");
}

TEST_F(InternetClientTest, HeaderQueriesTellAbsentFromEmpty)
{
    server.Respond(ScriptedResponse::Ok("abc", "text/plain; charset=UTF-8")
                       .With("X-Empty", "")
                       .With("Content-Language", "de")
                       .With("ETag", "\"v1\"")
                       .With("Date", "Sun, 06 Nov 1994 08:49:37 GMT"));
    auto request = Open(server, "/");
    EXPECT_FALSE(request->Query(InternetHeader::StatusCode));
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "200");
    EXPECT_EQ(request->Query(InternetHeader::ContentType), "text/plain; charset=UTF-8");
    EXPECT_EQ(request->Query(InternetHeader::ContentLength), "3");
    EXPECT_EQ(request->Query(InternetHeader::ContentLanguage), "de");
    EXPECT_EQ(request->Query(InternetHeader::ETag), "\"v1\"");
    EXPECT_EQ(request->Query(InternetHeader::Date), "Sun, 06 Nov 1994 08:49:37 GMT");
    EXPECT_EQ(request->Header("x-empty"), "");
    EXPECT_FALSE(request->Query(InternetHeader::Location));
    EXPECT_FALSE(request->Query(InternetHeader::ContentRange));
    EXPECT_FALSE(request->Query(InternetHeader::Expires));
    EXPECT_FALSE(request->Query(InternetHeader::LastModified));
    EXPECT_FALSE(request->Query(InternetHeader::ContentEncoding));
    EXPECT_FALSE(request->Query(InternetHeader::WwwAuthenticate));
}

TEST_F(InternetClientTest, RawHeadersHoldStatusLineAndEveryLine)
{
    server.Respond(ScriptedResponse::Ok("abc", "text/plain"));
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::RawHeaders),
        "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 3\r\n\r\n");
}

TEST_F(InternetClientTest, ErrorStatusIsAReplyWithItsBody)
{
    server.Respond(ScriptedResponse::Status(404, "no such page"));
    auto request = Open(server, "/missing");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "404");
    EXPECT_EQ(ReadAll(*request), "no such page");
}

TEST_F(InternetClientTest, StatusThatIsNotANumberIsAnInvalidReply)
{
    ScriptedResponse response = ScriptedResponse::Ok("x");
    response.rawStatusLine = "HTTP/1.1 2x0 Odd";
    server.Respond(response);
    auto request = Open(server, "/");
    EXPECT_FALSE(request->Send());
    EXPECT_EQ(request->LastFailure().Code, InternetError::InvalidReply);
    EXPECT_FALSE(request->Query(InternetHeader::StatusCode));
}

TEST_F(InternetClientTest, BodyWithoutLengthEndsWhenTheServerCloses)
{
    ScriptedResponse response = ScriptedResponse::Ok("until the end");
    response.contentLength = false;
    server.Respond(response);
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    EXPECT_FALSE(request->Query(InternetHeader::ContentLength));
    EXPECT_EQ(ReadAll(*request), "until the end");
}

TEST_F(InternetClientTest, CutBodyWithoutLengthLooksComplete)
{
    ScriptedResponse response = ScriptedResponse::Ok("0123456789");
    response.contentLength = false;
    response.cutAfter = 4;
    server.Respond(response);
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    std::vector<char> buffer(100);
    EXPECT_EQ(request->Read(buffer.data(), 100), 4);
    EXPECT_EQ(request->Read(buffer.data(), 100), 0);
}

TEST_F(InternetClientTest, CutBodyWithLengthDeliversWhatCameThenFails)
{
    ScriptedResponse response = ScriptedResponse::Ok(std::string(1000, 'z'));
    response.cutAfter = 600;
    server.Respond(response);
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::ContentLength), "1000");
    std::vector<char> buffer(4096);
    EXPECT_EQ(request->Read(buffer.data(), 4096), 600);
    EXPECT_EQ(request->Read(buffer.data(), 4096), -1);
    EXPECT_EQ(request->LastFailure().Code, InternetError::ConnectionLost);
}

TEST_F(InternetClientTest, BytesBeyondTheAnnouncedLengthAreNotDelivered)
{
    ScriptedResponse response = ScriptedResponse::Ok("0123456789");
    response.announcedLength = 4;
    response.keepAlive = false;
    server.Respond(response);
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(ReadAll(*request), "0123");
}

TEST_F(InternetClientTest, ServerClosingAtOnceIsALostConnection)
{
    ScriptedResponse response;
    response.closeAtOnce = true;
    server.Respond(response);
    auto request = Open(server, "/");
    EXPECT_FALSE(request->Send());
    EXPECT_EQ(request->LastFailure().Code, InternetError::ConnectionLost);
    EXPECT_FALSE(request->Query(InternetHeader::StatusCode));
}

TEST_F(InternetClientTest, RefusedConnectionIsReportedAsSuch)
{
    std::uint16_t port;
    {
        TestHttpServer closed;
        port = closed.Port();
    }
    requestSettings.Target = "/";
    auto request = Connection(port).OpenRequest(requestSettings);
    EXPECT_FALSE(request->Send());
    EXPECT_EQ(request->LastFailure().Code, InternetError::ConnectionRefused);
    EXPECT_FALSE(request->LastFailure().Text.empty());
}

TEST_F(InternetClientTest, OfflineSessionNeverConnects)
{
    sessionSettings.Offline = true;
    auto request = Open(server, "/");
    EXPECT_FALSE(request->Send());
    EXPECT_EQ(request->LastFailure().Code, InternetError::Offline);
    EXPECT_EQ(server.ConnectionCount(), 0);
}

TEST_F(InternetClientTest, ConnectWithoutHostFails)
{
    EXPECT_EQ(Session().Connect("", 80), nullptr);
    EXPECT_EQ(Session().LastFailure().Code, InternetError::InvalidUrl);
}

TEST_F(InternetClientTest, ReadBeforeSendIsRefused)
{
    auto request = Open(server, "/");
    char buffer[16];
    EXPECT_EQ(request->Read(buffer, sizeof buffer), -1);
    EXPECT_EQ(request->LastFailure().Code, InternetError::WrongState);
}

TEST_F(InternetClientTest, SendingAgainRepeatsTheRequest)
{
    server.Enqueue(ScriptedResponse::Status(401, "who?"));
    server.Enqueue(ScriptedResponse::Ok("second"));
    requestSettings.KeepConnection = true;
    auto request = Open(server, "/again");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "401");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "200");
    EXPECT_EQ(ReadAll(*request), "second");
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST_F(InternetClientTest, ChunkedBodyArrivesJoined)
{
    ScriptedResponse response = ScriptedResponse::Ok("5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n");
    response.contentLength = false;
    response.With("Transfer-Encoding", "chunked");
    server.Respond(response);
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(ReadAll(*request), "hello world");
}

TEST_F(InternetClientTest, CompressedBodyIsNotDecoded)
{
    const std::string compressed("\x1f\x8b\x08\x00\x00\x00\x00\x00", 8);
    server.Respond(ScriptedResponse::Ok(compressed).With("Content-Encoding", "gzip"));
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::ContentEncoding), "gzip");
    EXPECT_EQ(ReadAll(*request), compressed);
    EXPECT_FALSE(server.Requests().at(0).Header("Accept-Encoding"));
}

TEST_F(InternetClientTest, ReadIntoNoRoomIsRefused)
{
    server.Respond(ScriptedResponse::Ok("abc"));
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    char buffer[4];
    EXPECT_EQ(request->Read(buffer, 0), -1);
    EXPECT_EQ(request->Read(buffer, sizeof buffer), 3);
}
