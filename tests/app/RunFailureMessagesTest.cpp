// Runs that fail name the failure in the status bar: the service's refusal
// of a text for its size, and a reply page that cannot be written.
#include "tests/app/RunFixture.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/TestHttpServer.h"

#include <QDir>

namespace {

const std::string CouldNotWrite = "Ready.  Error: could not write translator_replypage.htm: ";

} // namespace

class RunFailureMessages : public RunFixture {
protected:
    RunFailureMessages()
    {
        Type("Hello");
        Tick("French");
    }
};

struct StatusCase {
    int status;
    const char* statusBar;
};

void PrintTo(const StatusCase& refusal, std::ostream* out)
{
    *out << refusal.status;
}

class RefusedRequest : public RunFailureMessages,
                       public testing::WithParamInterface<StatusCase> { };

TEST_P(RefusedRequest, EndsWithTheMessageForItsStatus)
{
    service.SetResponder([](const ServiceRequest&, int) {
        return ServiceReply { GetParam().status, "" };
    });
    RunToEnd();
    EXPECT_EQ(Status(), GetParam().statusBar);
    EXPECT_EQ(service.RequestCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Statuses, RefusedRequest,
    testing::Values(
        StatusCase { 413, "Ready.  Error: the text is too long for the translation service." },
        StatusCase {
            400, "Ready.  Error. English \u2192 French: the service answered 400 Bad Request." },
        StatusCase { 503,
            "Ready.  Error. English \u2192 French: the service answered 503 Service "
            "Unavailable." }));

TEST_F(RunFailureMessages, AReadOnlyFolderNamesTheReplyPageAndTheReason)
{
    ReadOnlyFolder readOnly(folder.Path());
    RunToEnd();
    EXPECT_EQ(Status(), CouldNotWrite + "Permission denied.");
    EXPECT_FALSE(QFile::exists(QStringLiteral("translator_replypage.htm")));
}

// A reply without a length goes to memory when the file cannot be opened;
// the run must not read an older page in its place.
TEST_F(RunFailureMessages, AReplyPageInTheWayEndsTheRunWhateverTheReplyAnnounces)
{
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("translator_replypage.htm")));
    TestHttpServer withoutLength;
    ScriptedResponse page = ScriptedResponse::Ok(standin::ReplyPage({ "fr:Hello" }));
    page.contentLength = false;
    withoutLength.Respond(page);
    for (const std::string& url : { service.URL(), withoutLength.Url() }) {
        form->achtp->URL = url;
        RunToEnd();
        EXPECT_EQ(Status().substr(0, CouldNotWrite.size()), CouldNotWrite) << url;
        EXPECT_GT(Status().size(), CouldNotWrite.size() + 1) << Status();
    }
    EXPECT_EQ(withoutLength.Requests().size(), 1u);
}
