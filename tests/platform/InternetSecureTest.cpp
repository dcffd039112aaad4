#include "tests/platform/InternetFixture.h"

#include <thread>

using platform::InternetError;
using platform::InternetHeader;

namespace {

enum class Fault { None, SelfSigned, UnknownIssuer, Expired, NotYetValid, WrongName };
enum class Leniency { None, Name, Date, Authority };

const TestCertificate& CertificateWith(const TestCertificates& certificates, Fault fault)
{
    switch (fault) {
    case Fault::SelfSigned:
        return certificates.SelfSigned();
    case Fault::UnknownIssuer:
        return certificates.UnknownIssuer();
    case Fault::Expired:
        return certificates.Expired();
    case Fault::NotYetValid:
        return certificates.NotYetValid();
    case Fault::WrongName:
        return certificates.WrongName();
    case Fault::None:
        break;
    }
    return certificates.Valid();
}

Leniency WaivedBy(Fault fault)
{
    switch (fault) {
    case Fault::SelfSigned:
    case Fault::UnknownIssuer:
        return Leniency::Authority;
    case Fault::Expired:
    case Fault::NotYetValid:
        return Leniency::Date;
    case Fault::WrongName:
        return Leniency::Name;
    case Fault::None:
        break;
    }
    return Leniency::None;
}

InternetError ErrorFor(Fault fault)
{
    switch (WaivedBy(fault)) {
    case Leniency::Authority:
        return InternetError::CertificateUnknownAuthority;
    case Leniency::Date:
        return InternetError::CertificateDateInvalid;
    case Leniency::Name:
        return InternetError::CertificateNameInvalid;
    case Leniency::None:
        break;
    }
    return InternetError::None;
}

} // namespace

class InternetSecureTest : public InternetFixture {
protected:
    static void SetUpTestSuite() { certificates = new TestCertificates; }
    static void TearDownTestSuite()
    {
        delete certificates;
        certificates = nullptr;
    }

    void SetUp() override
    {
        sessionSettings.TrustedAuthorityFile = certificates->AuthorityFile();
        requestSettings.Secure = true;
    }

    void Apply(Leniency leniency, platform::InternetRequest& request)
    {
        if (leniency == Leniency::Authority)
            request.SetIgnoreUnknownAuthority(true);
    }

    std::unique_ptr<platform::InternetRequest> OpenLenient(
        TestHttpServer& server, Leniency leniency)
    {
        requestSettings.IgnoreCertificateName = leniency == Leniency::Name;
        requestSettings.IgnoreCertificateDate = leniency == Leniency::Date;
        auto request = Open(server, "/");
        Apply(leniency, *request);
        return request;
    }

    static TestCertificates* certificates;
};

TestCertificates* InternetSecureTest::certificates = nullptr;

class CertificateMatrixTest : public InternetSecureTest,
                              public testing::WithParamInterface<std::tuple<Fault, Leniency>> { };

TEST_P(CertificateMatrixTest, EachLeniencyWaivesExactlyItsOwnFault)
{
    const auto [fault, leniency] = GetParam();
    TestHttpServer server(CertificateWith(*certificates, fault));
    server.Respond(ScriptedResponse::Ok("secret page"));
    auto request = OpenLenient(server, leniency);
    const bool accepted = fault == Fault::None || WaivedBy(fault) == leniency;
    ASSERT_EQ(request->Send(), accepted) << request->LastFailure().Text;
    if (accepted) {
        EXPECT_EQ(ReadAll(*request), "secret page");
        return;
    }
    EXPECT_EQ(request->LastFailure().Code, ErrorFor(fault)) << request->LastFailure().Text;
    EXPECT_TRUE(server.Requests().empty());
    const auto deadline = std::chrono::steady_clock::now() + Milliseconds(3000);
    while (server.FailedHandshakes() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(Milliseconds(20));
    EXPECT_EQ(server.FailedHandshakes(), 1);
}

std::string MatrixCaseName(const testing::TestParamInfo<std::tuple<Fault, Leniency>>& info)
{
    static const char* const faults[]
        = { "Valid", "SelfSigned", "UnknownIssuer", "Expired", "NotYetValid", "WrongName" };
    static const char* const leniencies[]
        = { "Strict", "IgnoreName", "IgnoreDate", "IgnoreAuthority" };
    return std::string(faults[int(std::get<0>(info.param))]) + "_"
        + leniencies[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(AllFaults, CertificateMatrixTest,
    testing::Combine(testing::Values(Fault::None, Fault::SelfSigned, Fault::UnknownIssuer,
                         Fault::Expired, Fault::NotYetValid, Fault::WrongName),
        testing::Values(Leniency::None, Leniency::Name, Leniency::Date, Leniency::Authority)),
    MatrixCaseName);

TEST_F(InternetSecureTest, AllLeniencesTogetherStillRequireAHandshake)
{
    TestHttpServer server(certificates->SelfSigned());
    server.Respond(ScriptedResponse::Ok("page"));
    requestSettings.IgnoreCertificateName = requestSettings.IgnoreCertificateDate = true;
    auto request = Open(server, "/");
    request->SetIgnoreUnknownAuthority(true);
    ASSERT_TRUE(request->Send()) << request->LastFailure().Text;
    EXPECT_EQ(ReadAll(*request), "page");
}

TEST_F(InternetSecureTest, AuthorityNotTrustedRefusesEvenAValidChain)
{
    sessionSettings.TrustedAuthorityFile.clear();
    TestHttpServer server(certificates->Valid());
    server.Respond(ScriptedResponse::Ok("page"));
    auto request = Open(server, "/");
    EXPECT_FALSE(request->Send());
    EXPECT_EQ(request->LastFailure().Code, InternetError::CertificateUnknownAuthority);
}

TEST_F(InternetSecureTest, NameIsCheckedForHostNamesToo)
{
    TestHttpServer server(certificates->Valid());
    server.Respond(ScriptedResponse::Ok("page"));
    requestSettings.Target = "/";
    connection = Session().Connect("localhost", server.Port());
    auto request = connection->OpenRequest(requestSettings);
    ASSERT_TRUE(request->Send()) << request->LastFailure().Text;
    EXPECT_EQ(ReadAll(*request), "page");
}

TEST_F(InternetSecureTest, MissingAuthorityFileIsASecureChannelFailure)
{
    sessionSettings.TrustedAuthorityFile = "/nonexistent/authority.pem";
    TestHttpServer server(certificates->Valid());
    auto request = Open(server, "/");
    EXPECT_FALSE(request->Send());
    EXPECT_EQ(request->LastFailure().Code, InternetError::SecureChannelFailed);
}

TEST_F(InternetSecureTest, LenientConnectionIsNotReusedByAStrictRequest)
{
    TestHttpServer server(certificates->SelfSigned());
    server.Respond(ScriptedResponse::Ok("page"));
    requestSettings.KeepConnection = true;
    {
        auto lenient = OpenLenient(server, Leniency::Authority);
        ASSERT_TRUE(lenient->Send());
        EXPECT_EQ(ReadAll(*lenient), "page");
    }
    auto strict = OpenLenient(server, Leniency::None);
    EXPECT_FALSE(strict->Send());
    EXPECT_EQ(strict->LastFailure().Code, InternetError::CertificateUnknownAuthority);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(InternetSecureTest, ConnectionCheckedAgainstOtherAuthoritiesIsNotReused)
{
    TestHttpServer server(certificates->Valid());
    server.Respond(ScriptedResponse::Ok("page"));
    requestSettings.KeepConnection = true;
    {
        auto trusting = Open(server, "/");
        ASSERT_TRUE(trusting->Send()) << trusting->LastFailure().Text;
        EXPECT_EQ(ReadAll(*trusting), "page");
    }
    connection.reset();
    session.reset();
    sessionSettings.TrustedAuthorityFile.clear();
    auto strict = Open(server, "/");
    EXPECT_FALSE(strict->Send());
    EXPECT_EQ(strict->LastFailure().Code, InternetError::CertificateUnknownAuthority);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(InternetSecureTest, SecureConnectionIsKeptForTheNextRequest)
{
    TestHttpServer server(certificates->Valid());
    server.Respond(ScriptedResponse::Ok("page"));
    requestSettings.KeepConnection = true;
    for (int i = 0; i < 2; ++i) {
        auto request = Open(server, "/");
        ASSERT_TRUE(request->Send()) << request->LastFailure().Text;
        EXPECT_EQ(ReadAll(*request), "page");
    }
    EXPECT_EQ(server.ConnectionCount(), 1);
}

TEST_F(InternetSecureTest, SecurePostArrivesIntact)
{
    TestHttpServer server(certificates->Valid());
    server.Respond(ScriptedResponse::Ok(std::string(50000, 'r')));
    auto request = Open(server, "/", "POST");
    ASSERT_TRUE(request->Send("Content-Type: application/x-www-form-urlencoded", "text=hello"));
    EXPECT_EQ(ReadAll(*request, 32000), std::string(50000, 'r'));
    EXPECT_EQ(server.Requests().at(0).body, "text=hello");
}

TEST_F(InternetSecureTest, ClosingARequestMidBodyHarmsNeitherSide)
{
    TestHttpServer server(certificates->Valid());
    server.RespondTo("/big", ScriptedResponse::Ok(std::string(4000000, 'b')));
    server.RespondTo("/small", ScriptedResponse::Ok("small"));
    {
        auto request = Open(server, "/big");
        ASSERT_TRUE(request->Send()) << request->LastFailure().Text;
        char buffer[100];
        EXPECT_EQ(request->Read(buffer, sizeof buffer), 100);
    }
    std::this_thread::sleep_for(Milliseconds(300));
    auto request = Open(server, "/small");
    ASSERT_TRUE(request->Send()) << request->LastFailure().Text;
    EXPECT_EQ(ReadAll(*request), "small");
}

TEST_F(InternetSecureTest, InterruptEndsAHandshakeThatNeverFinishes)
{
    TestHttpServer plain;
    auto request = Open(plain, "/");
    auto interrupt = Session().Interrupt();
    std::thread stopper([interrupt] {
        std::this_thread::sleep_for(Milliseconds(300));
        interrupt->store(true);
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(request->Send());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    stopper.join();
    EXPECT_EQ(request->LastFailure().Code, InternetError::Cancelled);
    EXPECT_LT(elapsed, Milliseconds(300 + PromptnessAllowance));
}
