#include "tests/support/TestCertificates.h"
#include "tests/transfer/HttpFixture.h"

namespace {

using Events = std::vector<std::string>;

// Every certificate but the faulty ones is issued by the tests' own
// authority, which the component is told to trust; each option must accept
// exactly its own fault.
class SecureTransferTest : public testing::Test {
protected:
    static void SetUpTestSuite() { certificates = std::make_unique<TestCertificates>(); }
    static void TearDownTestSuite() { certificates.reset(); }

    void SetUp() override { TacCustomHTTP::SetTrustedAuthorityFile(certificates->AuthorityFile()); }

    void TearDown() override
    {
        TacCustomHTTP::SetTrustedAuthorityFile({});
        EXPECT_TRUE(PumpEventsUntil([] { return TacEventThread::LiveCount() == 0; }));
    }

    Events Fetch(const TestCertificate& certificate, TacInternetOptions options)
    {
        TestHttpServer server(certificate);
        server.Respond(ScriptedResponse::Ok("secret"));
        TemporaryFolder folder;
        TacHTTP http;
        http.URL = server.Url("/");
        http.OutputFileName = folder.File("reply.htm");
        http.InternetOptions = options;
        Events events;
        http.OnDone = [&](TObject*, const std::string&, int size, TStream*) {
            events.push_back("Done(" + std::to_string(size) + ")");
        };
        http.OnHostUnreachable = [&](TObject*) { events.push_back("HostUnreachable"); };
        http.OnAnyError = [&](TObject*) { events.push_back("AnyError"); };
        EXPECT_TRUE(http.Read(false));
        EXPECT_TRUE(
            PumpEventsUntil([&] { return !http.GetRequestBusy() && !http.GetThreadBusy(); }));
        return events;
    }

    static std::unique_ptr<TestCertificates> certificates;
    const Events accepted { "Done(6)" };
    const Events refused { "HostUnreachable", "AnyError" };
};

std::unique_ptr<TestCertificates> SecureTransferTest::certificates;

TEST_F(SecureTransferTest, AValidCertificateNeedsNoOption)
{
    EXPECT_EQ(Fetch(certificates->Valid(), {}), accepted);
}

TEST_F(SecureTransferTest, WithoutOptionsEveryFaultyCertificateIsRefused)
{
    EXPECT_EQ(Fetch(certificates->WrongName(), {}), refused);
    EXPECT_EQ(Fetch(certificates->Expired(), {}), refused);
    EXPECT_EQ(Fetch(certificates->SelfSigned(), {}), refused);
}

TEST_F(SecureTransferTest, IgnoringTheNameAcceptsOnlyAWrongName)
{
    const TacInternetOptions options { ioIgnoreCertificateInvalid };
    EXPECT_EQ(Fetch(certificates->WrongName(), options), accepted);
    EXPECT_EQ(Fetch(certificates->Expired(), options), refused);
    EXPECT_EQ(Fetch(certificates->SelfSigned(), options), refused);
}

TEST_F(SecureTransferTest, IgnoringTheDateAcceptsOnlyAnExpiredCertificate)
{
    const TacInternetOptions options { ioIgnoreCertificateDateInvalid };
    EXPECT_EQ(Fetch(certificates->Expired(), options), accepted);
    EXPECT_EQ(Fetch(certificates->WrongName(), options), refused);
    EXPECT_EQ(Fetch(certificates->SelfSigned(), options), refused);
}

TEST_F(SecureTransferTest, IgnoringTheAuthorityAcceptsOnlyAnUnknownIssuer)
{
    const TacInternetOptions options { ioIgnoreUnknownCertificateAuthority };
    EXPECT_EQ(Fetch(certificates->SelfSigned(), options), accepted);
    EXPECT_EQ(Fetch(certificates->UnknownIssuer(), options), accepted);
    EXPECT_EQ(Fetch(certificates->WrongName(), options), refused);
    EXPECT_EQ(Fetch(certificates->Expired(), options), refused);
}

TEST_F(SecureTransferTest, TheProgramsOptionsAcceptAllThree)
{
    const TacInternetOptions options { ioIgnoreCertificateInvalid, ioIgnoreCertificateDateInvalid,
        ioIgnoreUnknownCertificateAuthority, ioKeepConnection };
    EXPECT_EQ(Fetch(certificates->WrongName(), options), accepted);
    EXPECT_EQ(Fetch(certificates->Expired(), options), accepted);
    EXPECT_EQ(Fetch(certificates->SelfSigned(), options), accepted);
}

} // namespace
