#include "tests/platform/InternetFixture.h"

#include <cstdlib>

using platform::InternetAccess;
using platform::InternetHeader;

namespace {

// Sets an environment variable for one test and puts the old value back.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvironmentVariable()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

class InternetProxyTest : public InternetFixture {
protected:
    // The proxy is a test server too: it sees the absolute address of the
    // origin, which is never looked up or reached.
    std::unique_ptr<platform::InternetRequest> OpenAtOrigin()
    {
        requestSettings.Target = "/page?x=1";
        connection = Session().Connect("origin.test", 8080);
        return connection->OpenRequest(requestSettings);
    }

    void UseProxy(const std::string& bypass = {})
    {
        sessionSettings.Access = InternetAccess::UseProxy;
        sessionSettings.ProxyServer = "127.0.0.1";
        sessionSettings.ProxyPort = proxy.Port();
        sessionSettings.ProxyBypass = bypass;
    }

    TestHttpServer proxy;
    TestHttpServer origin;
};

TEST_F(InternetProxyTest, UseProxySendsTheAbsoluteAddressToTheProxy)
{
    proxy.Respond(ScriptedResponse::Ok("from proxy"));
    UseProxy();
    auto request = OpenAtOrigin();
    ASSERT_TRUE(request->Send()) << request->LastFailure().Text;
    EXPECT_EQ(ReadAll(*request), "from proxy");
    EXPECT_EQ(proxy.Requests().at(0).target, "http://origin.test:8080/page?x=1");
}

TEST_F(InternetProxyTest, BypassListReachesItsHostsDirectly)
{
    origin.Respond(ScriptedResponse::Ok("direct"));
    proxy.Respond(ScriptedResponse::Ok("from proxy"));
    UseProxy("*.example.org;127.0.0.1;<local>");
    auto request = Open(origin, "/");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(ReadAll(*request), "direct");
    EXPECT_TRUE(proxy.Requests().empty());
}

TEST_F(InternetProxyTest, ProxyCredentialsAnswerTheProxysChallenge)
{
    proxy.Handle([](const RecordedRequest& received) {
        if (received.Header("Proxy-Authorization") == "Basic cHJveHk6cGFzcw==")
            return ScriptedResponse::Ok("through");
        return ScriptedResponse::Status(407).With("Proxy-Authenticate", "Basic realm=\"proxy\"");
    });
    UseProxy();
    auto request = OpenAtOrigin();
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "407");
    request->SetProxyCredentials("proxy", "pass");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(request->Query(InternetHeader::StatusCode), "200");
    EXPECT_EQ(ReadAll(*request), "through");
}

TEST_F(InternetProxyTest, PreconfiguredAccessTakesTheEnvironmentsProxy)
{
    const EnvironmentVariable proxySetting("http_proxy", proxy.Url("").c_str());
    const EnvironmentVariable noBypass("no_proxy", nullptr);
    const EnvironmentVariable noBypassUpper("NO_PROXY", nullptr);
    proxy.Respond(ScriptedResponse::Ok("from proxy"));
    auto request = OpenAtOrigin();
    ASSERT_TRUE(request->Send()) << request->LastFailure().Text;
    EXPECT_EQ(proxy.Requests().size(), 1u);
}

TEST_F(InternetProxyTest, DirectAccessIgnoresTheEnvironmentsProxy)
{
    const EnvironmentVariable proxySetting("http_proxy", proxy.Url("").c_str());
    const EnvironmentVariable noBypass("no_proxy", nullptr);
    const EnvironmentVariable noBypassUpper("NO_PROXY", nullptr);
    origin.Respond(ScriptedResponse::Ok("direct"));
    sessionSettings.Access = InternetAccess::Direct;
    auto request = Open(origin, "/");
    ASSERT_TRUE(request->Send());
    EXPECT_EQ(ReadAll(*request), "direct");
    EXPECT_TRUE(proxy.Requests().empty());
}
