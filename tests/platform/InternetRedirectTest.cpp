#include "tests/platform/InternetFixture.h"

using platform::InternetError;
using platform::InternetHeader;
using platform::InternetStatus;

class InternetRedirectTest : public InternetFixture {
protected:
    std::vector<std::string> RedirectNotes()
    {
        std::vector<std::string> addresses;
        for (const auto& [status, text] : Notes())
            if (status == InternetStatus::Redirect)
                addresses.push_back(text);
        return addresses;
    }

    TestHttpServer server;
};

TEST_F(InternetRedirectTest, FollowsToTheFinalReplyAndReportsTheNewAddress)
{
    server.RespondTo("/start", ScriptedResponse::Redirect(302, "/final?x=1"));
    server.RespondTo("/final", ScriptedResponse::Ok("arrived"));
    auto request = Open(server, "/start");
    ASSERT_TRUE(request->Send()) << request->LastFailure().Text;
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "200");
    EXPECT_EQ(ReadAll(*request), "arrived");
    EXPECT_EQ(request->Url(), server.Url("/final?x=1"));
    EXPECT_EQ(RedirectNotes(), std::vector<std::string> { server.Url("/final?x=1") });
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].target, "/final?x=1");
}

TEST_F(InternetRedirectTest, FollowsAChainOfRedirects)
{
    server.RespondTo("/a", ScriptedResponse::Redirect(301, "/b"));
    server.RespondTo("/b", ScriptedResponse::Redirect(307, "/c"));
    server.RespondTo("/c", ScriptedResponse::Ok("end"));
    auto request = Open(server, "/a");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(ReadAll(*request), "end");
    EXPECT_EQ(RedirectNotes().size(), 2u);
}

TEST_F(InternetRedirectTest, FoundAfterPostFetchesWithGet)
{
    server.RespondTo("/form", ScriptedResponse::Redirect(302, "/result"));
    server.RespondTo("/result", ScriptedResponse::Ok("ok"));
    auto request = Open(server, "/form", "POST");
    ASSERT_TRUE(request->Send("Content-Type: application/x-www-form-urlencoded", "a=1"));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].body, "");
}

TEST_F(InternetRedirectTest, TemporaryRedirectKeepsPostAndBody)
{
    server.RespondTo("/form", ScriptedResponse::Redirect(307, "/other"));
    server.RespondTo("/other", ScriptedResponse::Ok("ok"));
    auto request = Open(server, "/form", "POST");
    ASSERT_TRUE(request->Send("Content-Type: application/x-www-form-urlencoded", "a=1"));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].method, "POST");
    EXPECT_EQ(requests[1].body, "a=1");
}

TEST_F(InternetRedirectTest, NoAutoRedirectEndsWithTheRedirectItself)
{
    server.RespondTo("/start", ScriptedResponse::Redirect(302, "/final"));
    requestSettings.NoAutoRedirect = true;
    auto request = Open(server, "/start");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "302");
    EXPECT_EQ(request->Query(InternetHeader::Location), "/final");
    EXPECT_EQ(ReadAll(*request), "moved");
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(RedirectNotes().empty());
}

TEST_F(InternetRedirectTest, RedirectWithoutLocationIsTheReply)
{
    server.Respond(ScriptedResponse::Status(302, "nowhere"));
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "302");
}

TEST_F(InternetRedirectTest, EndlessRedirectsEndInFailure)
{
    server.Respond(ScriptedResponse::Redirect(302, "/loop"));
    auto request = Open(server, "/loop");
    EXPECT_FALSE(request->Send());
    EXPECT_EQ(request->LastFailure().Code, InternetError::TooManyRedirects);
    EXPECT_LE(server.Requests().size(), 12u);
}

TEST_F(InternetRedirectTest, RedirectToHttpsIsRefusedUnlessAllowed)
{
    TestCertificates certificates;
    TestHttpServer secure(certificates.Valid());
    secure.Respond(ScriptedResponse::Ok("secure"));
    server.Respond(ScriptedResponse::Redirect(302, secure.Url("/")));
    auto request = Open(server, "/");
    EXPECT_FALSE(request->Send());
    EXPECT_EQ(request->LastFailure().Code, InternetError::RedirectRefused);
    EXPECT_EQ(secure.ConnectionCount(), 0);
}

TEST_F(InternetRedirectTest, RedirectToHttpsIsFollowedWhenAllowed)
{
    TestCertificates certificates;
    TestHttpServer secure(certificates.Valid());
    secure.Respond(ScriptedResponse::Ok("secure"));
    server.Respond(ScriptedResponse::Redirect(302, secure.Url("/")));
    sessionSettings.TrustedAuthorityFile = certificates.AuthorityFile();
    requestSettings.AllowRedirectToHttps = true;
    auto request = Open(server, "/");
    ASSERT_TRUE(request->Send()) << request->LastFailure().Text;
    EXPECT_EQ(ReadAll(*request), "secure");
}

TEST_F(InternetRedirectTest, RedirectFromHttpsToHttpIsRefusedUnlessAllowed)
{
    TestCertificates certificates;
    TestHttpServer secure(certificates.Valid());
    secure.Respond(ScriptedResponse::Redirect(302, server.Url("/plain")));
    server.Respond(ScriptedResponse::Ok("plain"));
    sessionSettings.TrustedAuthorityFile = certificates.AuthorityFile();
    requestSettings.Secure = true;
    {
        auto request = Open(secure, "/");
        EXPECT_FALSE(request->Send());
        EXPECT_EQ(request->LastFailure().Code, InternetError::RedirectRefused);
    }
    requestSettings.AllowRedirectToHttp = true;
    auto request = Open(secure, "/");
    ASSERT_TRUE(request->Send()) << request->LastFailure().Text;
    EXPECT_EQ(ReadAll(*request), "plain");
}

TEST_F(InternetRedirectTest, CredentialsStayWithTheirHost)
{
    TestHttpServer other;
    other.Respond(
        ScriptedResponse::Status(401, "who?").With("WWW-Authenticate", "Basic realm=\"x\""));
    server.Respond(
        ScriptedResponse::Redirect(302, "http://localhost:" + std::to_string(other.Port()) + "/"));
    auto request = Open(server, "/");
    request->SetCredentials("user", "secret");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "401");
    for (const auto& received : other.Requests())
        EXPECT_FALSE(received.Header("Authorization"));
}
