#include "tests/platform/InternetFixture.h"

using platform::HeaderMode;
using platform::InternetError;
using platform::InternetHeader;

class InternetRequestTest : public InternetFixture {
protected:
    RecordedRequest SendAndRecord(platform::InternetRequest& request)
    {
        EXPECT_TRUE(request.Send()) << request.LastFailure().Text;
        EXPECT_TRUE(server.WaitForRequests(1));
        return server.Requests().back();
    }

    TestHttpServer server;
};

TEST_F(InternetRequestTest, AddedHeadersGoOnTheWire)
{
    server.Respond(ScriptedResponse::Ok("x"));
    auto request = Open(server, "/");
    ASSERT_TRUE(request->AddHeaders("X-One: 1\r\nRANGE: bytes=100-\r\n"));
    const auto received = SendAndRecord(*request);
    EXPECT_EQ(received.Header("X-One"), "1");
    EXPECT_EQ(received.Header("Range"), "bytes=100-");
}

TEST_F(InternetRequestTest, ReplaceDropsEarlierLinesOfTheSameName)
{
    server.Respond(ScriptedResponse::Ok("x"));
    auto request = Open(server, "/");
    ASSERT_TRUE(request->AddHeaders("Range: bytes=100-\r\nX-Keep: yes\r\n"));
    ASSERT_TRUE(request->AddHeaders("RANGE: bytes=0-\r\n", HeaderMode::Replace));
    const auto received = SendAndRecord(*request);
    EXPECT_EQ(received.head.find("bytes=100-"), std::string::npos);
    EXPECT_EQ(received.Header("Range"), "bytes=0-");
    EXPECT_EQ(received.Header("X-Keep"), "yes");
}

TEST_F(InternetRequestTest, LineWithoutNameIsRejectedWhole)
{
    server.Respond(ScriptedResponse::Ok("x"));
    auto request = Open(server, "/");
    EXPECT_FALSE(request->AddHeaders("X-Good: 1\r\nno colon here\r\n"));
    EXPECT_EQ(request->LastFailure().Code, InternetError::HeadersRejected);
    EXPECT_FALSE(request->AddHeaders(": no name\r\n"));
    const auto received = SendAndRecord(*request);
    EXPECT_FALSE(received.Header("X-Good"));
}

TEST_F(InternetRequestTest, EmptyHeaderTextIsAccepted)
{
    auto request = Open(server, "/");
    EXPECT_TRUE(request->AddHeaders(""));
    EXPECT_TRUE(request->AddHeaders("\r\n"));
}

TEST_F(InternetRequestTest, PragmaNoCacheAsksCachesNotToAnswer)
{
    server.Respond(ScriptedResponse::Ok("x"));
    requestSettings.PragmaNoCache = true;
    auto request = Open(server, "/");
    EXPECT_EQ(SendAndRecord(*request).Header("Pragma"), "no-cache");
}

TEST_F(InternetRequestTest, CacheDirectivesAloneAddNothing)
{
    server.Respond(ScriptedResponse::Ok("x"));
    requestSettings.Reload = requestSettings.Hyperlink = requestSettings.Resynchronize = true;
    auto request = Open(server, "/");
    EXPECT_TRUE(request->Settings().Reload);
    const auto received = SendAndRecord(*request);
    EXPECT_FALSE(received.Header("Pragma"));
    EXPECT_FALSE(received.Header("Cache-Control"));
}

TEST_F(InternetRequestTest, NoAcceptTypesSendsNoAcceptHeader)
{
    server.Respond(ScriptedResponse::Ok("x"));
    auto request = Open(server, "/");
    EXPECT_FALSE(SendAndRecord(*request).Header("Accept"));
}

TEST_F(InternetRequestTest, AcceptTypesAreJoined)
{
    server.Respond(ScriptedResponse::Ok("x"));
    requestSettings.AcceptTypes = { "text/html", "*/*" };
    auto request = Open(server, "/");
    EXPECT_EQ(SendAndRecord(*request).Header("Accept"), "text/html, */*");
}

TEST_F(InternetRequestTest, CredentialsAnswerAChallenge)
{
    server.Handle([](const RecordedRequest& received) {
        if (received.Header("Authorization") == "Basic dXNlcjpzZWNyZXQ=")
            return ScriptedResponse::Ok("welcome");
        return ScriptedResponse::Status(401, "who?")
            .With("WWW-Authenticate", "Basic realm=\"Test Realm\"");
    });
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "401");
    EXPECT_EQ(request->Query(InternetHeader::WwwAuthenticate), "Basic realm=\"Test Realm\"");
    EXPECT_EQ(ReadAll(*request), "who?");
    request->SetCredentials("user", "secret");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "200");
    EXPECT_EQ(ReadAll(*request), "welcome");
}

TEST_F(InternetRequestTest, WrongCredentialsEndWithTheRefusal)
{
    server.Respond(
        ScriptedResponse::Status(401, "still no").With("WWW-Authenticate", "Basic realm=\"r\""));
    auto request = Open(server, "/");
    request->SetCredentials("user", "wrong");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "401");
    EXPECT_EQ(ReadAll(*request), "still no");
}

TEST_F(InternetRequestTest, CredentialsOfTheConnectionAreUsed)
{
    server.Handle([](const RecordedRequest& received) {
        if (received.Header("Authorization") == "Basic dXNlcjpzZWNyZXQ=")
            return ScriptedResponse::Ok("welcome");
        return ScriptedResponse::Status(401).With("WWW-Authenticate", "Basic realm=\"r\"");
    });
    connection = Session().Connect("127.0.0.1", server.Port(), "user", "secret");
    auto request = connection->OpenRequest(requestSettings);
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(ReadAll(*request), "welcome");
}

TEST_F(InternetRequestTest, NoAuthenticationSendsNoCredentials)
{
    server.Respond(ScriptedResponse::Status(401).With("WWW-Authenticate", "Basic realm=\"r\""));
    requestSettings.NoAuthentication = true;
    auto request = Open(server, "/");
    request->SetCredentials("user", "secret");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "401");
    for (const auto& received : server.Requests())
        EXPECT_FALSE(received.Header("Authorization"));
}

TEST_F(InternetRequestTest, RangedResourceAnswersWithItsPart)
{
    const std::string resource = "0123456789abcdef";
    server.Handle([&resource](const RecordedRequest& received) {
        return ScriptedResponse::Ranged(received, resource);
    });
    auto request = Open(server, "/");
    ASSERT_TRUE(request->AddHeaders("RANGE: bytes=10-\r\n"));
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "206");
    EXPECT_EQ(request->Query(InternetHeader::ContentRange), "bytes 10-15/16");
    EXPECT_EQ(ReadAll(*request), "abcdef");
    ASSERT_TRUE(request->AddHeaders("RANGE: bytes=16-\r\n", HeaderMode::Replace));
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "416");
}

TEST_F(InternetRequestTest, UploadSendsTheAnnouncedLengthInBlocks)
{
    server.Respond(ScriptedResponse::Ok("stored"));
    auto request = Open(server, "/upload", "POST");
    const std::string part(70000, 'u');
    ASSERT_TRUE(request->BeginUpload(
        "Content-Type: multipart/form-data, boundary=xyz", 2 * part.size() + 3))
        << request->LastFailure().Text;
    EXPECT_EQ(request->Write(part.data(), part.size()), std::int64_t(part.size()));
    EXPECT_EQ(request->Write(part.data(), part.size()), std::int64_t(part.size()));
    EXPECT_EQ(request->Write("end", 3), 3);
    ASSERT_TRUE(request->EndUpload()) << request->LastFailure().Text;
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "200");
    EXPECT_EQ(ReadAll(*request), "stored");
    const auto received = server.Requests().at(0);
    EXPECT_EQ(received.method, "POST");
    EXPECT_EQ(received.Header("Content-Type"), "multipart/form-data, boundary=xyz");
    EXPECT_EQ(received.Header("Content-Length"), std::to_string(2 * part.size() + 3));
    EXPECT_EQ(received.body, part + part + "end");
}

TEST_F(InternetRequestTest, UploadRefusesMoreThanAnnounced)
{
    server.Respond(ScriptedResponse::Ok("stored"));
    auto request = Open(server, "/upload", "POST");
    ASSERT_TRUE(request->BeginUpload({}, 4));
    EXPECT_EQ(request->Write("12345", 5), -1);
    EXPECT_EQ(request->LastFailure().Code, InternetError::WrongState);
}

TEST_F(InternetRequestTest, UploadCannotEndBeforeEverythingIsWritten)
{
    server.Respond(ScriptedResponse::Ok("stored"));
    auto request = Open(server, "/upload", "POST");
    ASSERT_TRUE(request->BeginUpload({}, 4));
    EXPECT_EQ(request->Write("12", 2), 2);
    EXPECT_FALSE(request->EndUpload());
    EXPECT_EQ(request->LastFailure().Code, InternetError::WrongState);
}

TEST_F(InternetRequestTest, UploadToAServerThatNeverAnswersTimesOut)
{
    ScriptedResponse silent;
    silent.silent = true;
    server.Respond(silent);
    auto request = Open(server, "/upload", "POST");
    request->SetReceiveTimeout(300);
    ASSERT_TRUE(request->BeginUpload({}, 3));
    EXPECT_EQ(request->Write("abc", 3), 3);
    EXPECT_FALSE(request->EndUpload());
    EXPECT_EQ(request->LastFailure().Code, InternetError::TimedOut);
    EXPECT_FALSE(request->Query(InternetHeader::StatusCode));
}

TEST_F(InternetRequestTest, WriteWithoutUploadIsRefused)
{
    auto request = Open(server, "/");
    EXPECT_EQ(request->Write("x", 1), -1);
    EXPECT_FALSE(request->EndUpload());
}

TEST_F(InternetRequestTest, OpenRequestWithoutVerbFails)
{
    requestSettings.Verb = "";
    requestSettings.Target = "/";
    EXPECT_EQ(Connection(server.Port()).OpenRequest(requestSettings), nullptr);
    EXPECT_NE(connection->LastFailure().Code, InternetError::None);
}

TEST_F(InternetRequestTest, HeadAsksForHeadersOnly)
{
    server.Respond(ScriptedResponse::Ok("body not sent"));
    auto request = Open(server, "/", "HEAD");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::ContentLength), "13");
    EXPECT_EQ(ReadAll(*request), "");
    EXPECT_EQ(server.Requests().at(0).method, "HEAD");
}

TEST_F(InternetRequestTest, RangedAnswerMayLackContentRange)
{
    const std::string resource = "0123456789";
    server.Handle([&resource](const RecordedRequest& received) {
        return ScriptedResponse::Ranged(received, resource, false);
    });
    auto request = Open(server, "/");
    ASSERT_TRUE(request->AddHeaders("RANGE: bytes=2-4\r\n"));
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "206");
    EXPECT_FALSE(request->Query(InternetHeader::ContentRange));
    EXPECT_EQ(ReadAll(*request), "234");
}

TEST_F(InternetRequestTest, RequestWithoutRangeGetsTheWholeResource)
{
    server.Handle([](const RecordedRequest& received) {
        return ScriptedResponse::Ranged(received, "whole");
    });
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "200");
    EXPECT_EQ(ReadAll(*request), "whole");
}
