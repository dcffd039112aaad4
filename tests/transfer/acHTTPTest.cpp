#include "tests/transfer/HttpFixture.h"

#include "platform/InternetClient.h"

#include <QFile>
#include <QImage>
#include <QPointer>
#include <QVariant>
#include <map>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Events = std::vector<std::string>;

// ---------------------------------------------------------------------------
// The program's own request: a POST into an output file.

class ProgramRequestTest : public HttpFixture {
protected:
    void SetUp() override
    {
        HttpFixture::SetUp();
        http->URL = server.Url("/");
        http->RequestMethod = rmPOST;
        http->Agent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)";
        http->Referer = "http://translate.example/language_tools";
        http->CacheOptions = { coAlwaysReload, coReloadIfNoExpireInformation,
            coReloadUpdatedObjects, coCreateTempFilesIfCantCache };
        http->InternetOptions = { ioKeepConnection };
        http->TransferBufferSize = 32000;
        http->POSTData = "sl=en&tl=de&text=Hello%20world";
        LogCompletionEvents();
    }
};

TEST_F(ProgramRequestTest, PostSendsTheBodyAndHeadersAsGiven)
{
    server.Respond(ScriptedResponse::Ok("<html>Hallo</html>"));
    ASSERT_TRUE(http->Read(false));
    ASSERT_TRUE(WaitForEvents(1));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const RecordedRequest& request = requests[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, "/");
    EXPECT_EQ(request.body, "sl=en&tl=de&text=Hello%20world");
    EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(request.Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)");
    EXPECT_EQ(request.Header("Referer"), "http://translate.example/language_tools");
    EXPECT_EQ(request.Header("Accept"), "text/html, */*");
}

TEST_F(ProgramRequestTest, SuccessClosesTheFileBeforeOnDoneWithANullStream)
{
    server.Respond(ScriptedResponse::Ok("<html>Hallo</html>"));
    std::string contentInHandler;
    TacFileAttributes attributesInHandler;
    http->OnDone = [&](TObject*, const std::string& type, int size, TStream* stream) {
        Log("Done(" + type + "," + std::to_string(size) + "," + StreamText(stream) + ")");
        contentInHandler = ReadFileBytes(output);
        attributesInHandler = GetOutputFileAttributes(output);
    };
    EXPECT_TRUE(http->Read(false));
    EXPECT_TRUE(http->GetRequestBusy());
    EXPECT_FALSE(http->Read(false));
    ASSERT_TRUE(WaitUntilIdle());
    SettleBriefly();
    const auto entries = Entries();
    ASSERT_EQ(Texts(), (Events { "Done(text/html,18,null)" }));
    EXPECT_TRUE(entries[0].onMainThread);
    EXPECT_FALSE(entries[0].requestBusy);
    EXPECT_TRUE(entries[0].threadBusy);
    EXPECT_EQ(contentInHandler, "<html>Hallo</html>");
    EXPECT_EQ(attributesInHandler, TacFileAttributes { atrArchive });
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(ProgramRequestTest, TheFileIsMarkedIncompleteWhileItIsWritten)
{
    server.Respond(ScriptedResponse::Ok(PatternBytes(100000), "application/octet-stream"));
    std::vector<TacFileAttributes> seen;
    http->OnProgress = [&](TObject*, const std::string&, int, int, int, int, std::uint8_t, float,
                           TStream*) { seen.push_back(GetOutputFileAttributes(output)); };
    ASSERT_TRUE(http->Read(false));
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_FALSE(seen.empty());
    for (const auto& attributes : seen)
        EXPECT_EQ(attributes, (TacFileAttributes { atrArchive, atrTemporary }));
    EXPECT_EQ(GetOutputFileAttributes(output), TacFileAttributes { atrArchive });
    EXPECT_EQ(ReadFileBytes(output), PatternBytes(100000));
}

TEST_F(ProgramRequestTest, ReadInsideOnDoneStartsTheNextRequestUntouchedByTheFirstCleanUp)
{
    server.RespondTo("/first", ScriptedResponse::Ok("first reply"));
    server.RespondTo("/second", ScriptedResponse::Ok("second reply"));
    http->URL = server.Url("/first");
    std::vector<bool> accepted;
    std::string firstFile;
    http->OnDone = [&](TObject*, const std::string&, int size, TStream*) {
        Log("Done(" + std::to_string(size) + ")");
        if (accepted.empty()) {
            firstFile = ReadFileBytes(output);
            http->URL = server.Url("/second");
            accepted.push_back(http->Read(false));
            accepted.push_back(http->GetRequestBusy());
        }
    };
    ASSERT_TRUE(http->Read(false));
    ASSERT_TRUE(WaitForEvents(2));
    ASSERT_TRUE(WaitUntilIdle());
    SettleBriefly();
    EXPECT_EQ(Texts(), (Events { "Done(11)", "Done(12)" }));
    EXPECT_EQ(accepted, (std::vector<bool> { true, true }));
    EXPECT_EQ(firstFile, "first reply");
    EXPECT_EQ(ReadFileBytes(output), "second reply");
    EXPECT_EQ(GetOutputFileAttributes(output), TacFileAttributes { atrArchive });
}

TEST_F(ProgramRequestTest, NonImmediateAbortStopsAtTheNextBlockAndKeepsThePartialFile)
{
    ScriptedResponse slow = ScriptedResponse::Ok(PatternBytes(200000), "application/octet-stream");
    slow.delayAfterBytes = 64000;
    slow.delayInBody = 300ms;
    server.Respond(slow);
    int progressCalls = 0;
    http->OnProgress
        = [&](TObject*, const std::string&, int, int, int, int, std::uint8_t, float, TStream*) {
              if (++progressCalls == 1)
                  http->Abort(false, false);
          };
    bool readInOnAborted = false;
    http->OnAborted = [&](TObject*) {
        Log("Aborted");
        server.Respond(ScriptedResponse::Ok("again"));
        readInOnAborted = http->Read(false);
    };
    ASSERT_TRUE(http->Read(false));
    ASSERT_TRUE(WaitForEvents(1));
    const auto entries = Entries();
    EXPECT_TRUE(entries[0].onMainThread);
    EXPECT_FALSE(entries[0].requestBusy);
    EXPECT_EQ(progressCalls, 1);
    EXPECT_TRUE(readInOnAborted);
    ASSERT_TRUE(WaitForEvents(2));
    ASSERT_TRUE(WaitUntilIdle());
    SettleBriefly();
    EXPECT_EQ(Texts(), (Events { "Aborted", "Done(text/html,5,null)" }));
    EXPECT_EQ(ReadFileBytes(output), "again");
}

TEST_F(ProgramRequestTest, NonImmediateAbortLeavesThePartialFileMarkedIncomplete)
{
    ScriptedResponse slow = ScriptedResponse::Ok(PatternBytes(200000), "application/octet-stream");
    slow.delayAfterBytes = 64000;
    slow.delayInBody = 300ms;
    server.Respond(slow);
    http->OnProgress = [&](TObject*, const std::string&, int, int, int, int, std::uint8_t, float,
                           TStream*) { http->Abort(false, false); };
    ASSERT_TRUE(http->Read(false));
    ASSERT_TRUE(WaitForEvents(1));
    SettleBriefly();
    EXPECT_EQ(Texts(), (Events { "Aborted" }));
    EXPECT_EQ(ReadFileBytes(output), PatternBytes(32000));
    EXPECT_EQ(GetOutputFileAttributes(output), (TacFileAttributes { atrArchive, atrTemporary }));
    EXPECT_TRUE(http->GetThreadBusy());
    EXPECT_FALSE(http->GetRequestBusy());
}

TEST_F(ProgramRequestTest, ImmediateAbortDeletesThePartialFileAndReportsBeforeReturning)
{
    ScriptedResponse slow = ScriptedResponse::Ok(PatternBytes(100000), "application/octet-stream");
    slow.delayAfterBytes = 40000;
    slow.delayInBody = 3000ms;
    server.Respond(slow);
    std::atomic<int> progressCalls { 0 };
    http->OnProgress = [&](TObject*, const std::string&, int, int, int, int, std::uint8_t, float,
                           TStream*) { ++progressCalls; };
    ASSERT_TRUE(http->Read(false));
    ASSERT_TRUE(PumpEventsUntil([&] { return progressCalls == 1; }));
    // The worker is now blocked waiting for the rest of the body.
    std::this_thread::sleep_for(100ms);
    http->Abort(true, true);
    EXPECT_EQ(Texts(), (Events { "Aborted" }));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(output)));
    EXPECT_FALSE(http->GetRequestBusy());
    EXPECT_FALSE(http->GetThreadBusy());
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(PumpEventsUntil([] { return TacEventThread::LiveCount() == 1; }, 1000));
    EXPECT_LT(clock.elapsed(), 1000);
    SettleBriefly();
    EXPECT_EQ(Texts(), (Events { "Aborted" }));
    EXPECT_EQ(progressCalls, 1);
}

TEST_F(ProgramRequestTest, NonImmediateAbortIsNotHeldOffByAStalledServer)
{
    ScriptedResponse stalled = ScriptedResponse::Ok("late");
    stalled.delayBeforeStatus = 4000ms;
    server.Respond(stalled);
    ASSERT_TRUE(http->Read(false));
    ASSERT_TRUE(server.WaitForRequests(1));
    std::this_thread::sleep_for(100ms);
    QElapsedTimer clock;
    clock.start();
    http->Abort(false, false);
    ASSERT_TRUE(WaitForEvents(1));
    EXPECT_LT(clock.elapsed(), 1500);
    SettleBriefly();
    EXPECT_EQ(Texts(), (Events { "Aborted" }));
    EXPECT_TRUE(Entries()[0].onMainThread);
}

TEST_F(ProgramRequestTest, AbortWhileIdleDoesNothing)
{
    http->Abort(true, true);
    http->Abort(false, false);
    SettleBriefly();
    EXPECT_TRUE(Texts().empty());
}

TEST_F(ProgramRequestTest, AbortAfterTheLastCheckHasNoEffect)
{
    server.Respond(ScriptedResponse::Ok("in memory"));
    http->OutputFileName.clear();
    http->OnDone = [&](TObject*, const std::string&, int size, TStream*) {
        Log("Done(" + std::to_string(size) + ")");
        http->Abort(false, false);
    };
    ASSERT_TRUE(http->Read(false));
    ASSERT_TRUE(WaitUntilIdle());
    SettleBriefly();
    EXPECT_EQ(Texts(), (Events { "Done(9)" }));
}

// ---------------------------------------------------------------------------
// Every outcome and the events it delivers.

class OutcomeTest : public HttpFixture {
protected:
    void SetUp() override
    {
        HttpFixture::SetUp();
        http->URL = server.Url("/page");
        LogCompletionEvents();
    }
};

TEST_F(OutcomeTest, ErrorStatusesGiveHttpErrorWithTheBodyAndLeaveThePreviousFile)
{
    for (const int status : { 404, 500, 401 }) {
        WriteFileBytes(output, "previous");
        log.clear();
        server.Respond(ScriptedResponse::Status(status, "error page"));
        EXPECT_EQ(RunToEnd(),
            (Events { "HTTPError(" + std::to_string(status) + ",\"error page\")", "AnyError" }));
        const auto entries = Entries();
        EXPECT_TRUE(entries[0].requestBusy);
        EXPECT_TRUE(entries[1].onMainThread);
        EXPECT_FALSE(http->GetRequestBusy());
        EXPECT_EQ(ReadFileBytes(output), "previous");
    }
}

TEST_F(OutcomeTest, RedirectWithoutFollowingIsAnHttpError)
{
    http->InternetOptions = { ioNoAutoRedirect };
    server.Respond(ScriptedResponse::Redirect(302, "/elsewhere"));
    const Events events = RunToEnd();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].substr(0, 14), "HTTPError(302,");
    EXPECT_EQ(events[1], "AnyError");
}

TEST_F(OutcomeTest, RedirectIsFollowedAndReported)
{
    server.RespondTo("/page", ScriptedResponse::Redirect(302, "/target"));
    server.RespondTo("/target", ScriptedResponse::Ok("arrived"));
    std::mutex redirectMutex;
    std::vector<std::string> redirects;
    std::atomic<bool> redirectOnWorker { false };
    http->OnRedirected = [&](TObject*, const std::string& url) {
        std::lock_guard lock(redirectMutex);
        redirects.push_back(url);
        redirectOnWorker = !OnMainThread();
    };
    EXPECT_EQ(RunToEnd(), (Events { "Done(text/html,7,null)" }));
    EXPECT_EQ(ReadFileBytes(output), "arrived");
    std::lock_guard lock(redirectMutex);
    ASSERT_EQ(redirects.size(), 1u);
    EXPECT_NE(redirects[0].find("/target"), std::string::npos);
    EXPECT_TRUE(redirectOnWorker);
}

TEST_F(OutcomeTest, ShortBodyWithAnnouncedLengthIsALostConnection)
{
    ScriptedResponse cut = ScriptedResponse::Ok(std::string(600, 'x'));
    cut.announcedLength = 1000;
    cut.keepAlive = false;
    server.Respond(cut);
    EXPECT_EQ(RunToEnd(), (Events { "ConnLost(text/html,1000,600,600)", "AnyError" }));
    EXPECT_EQ(ReadFileBytes(output), std::string(600, 'x'));
    EXPECT_EQ(GetOutputFileAttributes(output), (TacFileAttributes { atrArchive, atrTemporary }));
}

TEST_F(OutcomeTest, CutBodyWithoutAnnouncedLengthEndsWithDone)
{
    ScriptedResponse cut = ScriptedResponse::Ok(std::string(600, 'x'));
    cut.contentLength = false;
    cut.cutAfter = 400;
    server.Respond(cut);
    EXPECT_EQ(RunToEnd(), (Events { "Done(text/html,400,null)" }));
    EXPECT_EQ(ReadFileBytes(output), std::string(400, 'x'));
}

// The body stops at the most bytes taken, the file holding exactly those;
// the failure says why, where a body cut without a length could not.
TEST_F(OutcomeTest, ABodyPastTheMostBytesTakenIsALostConnectionAndSaysSo)
{
    ScriptedResponse endless = ScriptedResponse::Ok(std::string(7000, 'x'));
    endless.contentLength = false;
    endless.endless = true;
    server.Respond(endless);
    http->MaximumReplySize = 100000;
    const Events events = RunToEnd();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].substr(0, 24), "ConnLost(text/html,0,100");
    EXPECT_EQ(ReadFileBytes(output), std::string(100000, 'x'));
    EXPECT_EQ(http->GetLastFailure().Code, platform::InternetError::ReplyTooLarge);
}

// An address that cannot be read, or of a scheme the component does not
// speak, reaches no server and says why.
TEST_F(OutcomeTest, AnAddressItCannotUseReachesNoServer)
{
    for (const std::string& url :
        { std::string("http://"), "ftp" + server.Url("/page").substr(4) }) {
        http->URL = url;
        log.clear();
        EXPECT_EQ(RunToEnd().back(), "AnyError") << url;
        EXPECT_EQ(http->GetLastFailure().Code, platform::InternetError::InvalidUrl) << url;
    }
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(OutcomeTest, RefusedConnectionIsAnUnreachableHost)
{
    server.Stop();
    EXPECT_EQ(RunToEnd(), (Events { "HostUnreachable", "AnyError" }));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(output)));
    EXPECT_EQ(http->GetLastFailure().Code, platform::InternetError::ConnectionRefused);
}

TEST_F(OutcomeTest, ConnectionClosedWithoutAStatusIsAnUnreachableHost)
{
    ScriptedResponse nothing;
    nothing.closeAtOnce = true;
    server.Respond(nothing);
    EXPECT_EQ(RunToEnd(), (Events { "HostUnreachable", "AnyError" }));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(output)));
}

TEST_F(OutcomeTest, ReceiveTimeoutBeforeTheStatusIsAnUnreachableHost)
{
    ScriptedResponse late = ScriptedResponse::Ok("late");
    late.delayBeforeStatus = 2000ms;
    server.Respond(late);
    http->Timeouts.ReceiveTimeout = 300;
    EXPECT_EQ(RunToEnd(), (Events { "HostUnreachable", "AnyError" }));
}

TEST_F(OutcomeTest, UnparsableAddressIsAnUnreachableHost)
{
    http->URL = "http://[broken";
    EXPECT_EQ(RunToEnd(), (Events { "HostUnreachable", "AnyError" }));
}

TEST_F(OutcomeTest, RejectedHeaderLinesAreAnOutputFileError)
{
    server.Respond(ScriptedResponse::Ok("never asked"));
    http->AddHeaders = { "a line without a colon" };
    EXPECT_EQ(RunToEnd(), (Events { "AnyError", "OutputFileError" }));
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(OutcomeTest, UnopenableOutputFileWithAnnouncedLengthIsAnOutputFileError)
{
    server.Respond(ScriptedResponse::Ok("body"));
    http->OutputFileName = folder.File("missing/folder/reply.htm");
    const Events events = RunToEnd();
    EXPECT_EQ(events, (Events { "AnyError", "OutputFileError" }));
    EXPECT_FALSE(Entries().back().requestBusy);
}

TEST_F(OutcomeTest, UnopenableOutputFileWithoutLengthKeepsTheBodyInMemory)
{
    ScriptedResponse unsized = ScriptedResponse::Ok("in memory");
    unsized.contentLength = false;
    server.Respond(unsized);
    http->OutputFileName = folder.File("missing/folder/reply.htm");
    EXPECT_EQ(RunToEnd(), (Events { "Done(text/html,9,\"in memory\")" }));
    EXPECT_TRUE(Entries()[0].requestBusy);
}

TEST_F(OutcomeTest, WithoutAnOutputFileTheBodyComesAsAStreamAtPositionZero)
{
    server.Respond(ScriptedResponse::Ok("kept in memory"));
    http->OutputFileName.clear();
    qint64 position = -1;
    http->OnDone = [&](TObject*, const std::string&, int size, TStream* stream) {
        position = stream ? stream->pos() : -2;
        Log("Done(" + std::to_string(size) + "," + StreamText(stream) + ")");
    };
    EXPECT_EQ(RunToEnd(), (Events { "Done(14,\"kept in memory\")" }));
    EXPECT_EQ(position, 0);
    EXPECT_TRUE(Entries()[0].requestBusy);
}

TEST_F(OutcomeTest, RangeRefusedForAResourceNoLongerThanTheStartIsAnOutputFileError)
{
    const std::string resource = PatternBytes(50);
    server.Handle([&](const RecordedRequest& request) {
        return ScriptedResponse::Ranged(request, resource);
    });
    EXPECT_TRUE(http->ReadRange(100, 0, false));
    ASSERT_TRUE(WaitUntilIdle());
    SettleBriefly();
    EXPECT_EQ(Texts(), (Events { "AnyError", "OutputFileError" }));
}

TEST_F(OutcomeTest, RangeRefusedForALongerResourceFetchesItWhole)
{
    const std::string resource = PatternBytes(5000);
    server.Handle([&](const RecordedRequest& request) {
        const auto range = request.Header("Range");
        if (range == "bytes=1000-")
            return ScriptedResponse::Status(416);
        return ScriptedResponse::Ranged(request, resource);
    });
    EXPECT_TRUE(http->ReadRange(1000, 0, false));
    ASSERT_TRUE(WaitUntilIdle());
    SettleBriefly();
    EXPECT_EQ(Texts(), (Events { "Done(application/octet-stream,5000,null)" }));
    EXPECT_EQ(ReadFileBytes(output), resource);
    const auto requests = server.Requests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[1].Header("Range"), "bytes=0-");
    EXPECT_FALSE(requests.back().Header("Range").has_value());
}

TEST_F(OutcomeTest, AReadOnlyOutputFileIsStillReplaced)
{
    WriteFileBytes(output, "old content");
    SetOutputFileAttributes(output, { atrReadOnly, atrHidden });
    server.Respond(ScriptedResponse::Ok("new"));
    EXPECT_EQ(RunToEnd(), (Events { "Done(text/html,3,null)" }));
    EXPECT_EQ(ReadFileBytes(output), "new");
    EXPECT_EQ(GetOutputFileAttributes(output), TacFileAttributes { atrArchive });
}

TEST_F(OutcomeTest, UploadWithoutAnyStatusIsACgiTimeout)
{
    ScriptedResponse nothing;
    nothing.closeAtOnce = true;
    server.Respond(nothing);
    http->BeginPrepareUpload();
    http->UploadString("field", std::string(100000, 'u'));
    ASSERT_TRUE(http->EndPrepareUpload(false));
    ASSERT_TRUE(WaitUntilIdle());
    SettleBriefly();
    EXPECT_EQ(Texts(), (Events { "UploadCGITimeoutFailed", "AnyError" }));
}

TEST_F(OutcomeTest, StatusNotificationsCarryTheirTexts)
{
    server.Respond(ScriptedResponse::Ok("body"));
    std::mutex statusMutex;
    std::vector<std::pair<std::uint32_t, std::string>> statuses;
    http->OnStatusChanged = [&](TObject*, std::uint32_t code, const std::string& text) {
        std::lock_guard lock(statusMutex);
        statuses.emplace_back(code, text);
    };
    EXPECT_EQ(RunToEnd(), (Events { "Done(text/html,4,null)" }));
    const std::map<std::uint32_t, std::string> texts {
        { 10, "Resolving name" },
        { 11, "Name resolved" },
        { 20, "Connecting to server" },
        { 21, "Connected" },
        { 30, "Sending Request" },
        { 31, "Request sent" },
        { 40, "Receiving response" },
        { 41, "Response received" },
        { 50, "Closing connection" },
        { 51, "Connection closed" },
        { 60, "Handle created" },
        { 70, "Handle closing" },
    };
    std::lock_guard lock(statusMutex);
    ASSERT_FALSE(statuses.empty());
    bool sawSent = false;
    for (const auto& [code, text] : statuses) {
        ASSERT_TRUE(texts.count(code)) << code;
        EXPECT_EQ(text, texts.at(code));
        sawSent = sawSent || code == 31;
    }
    EXPECT_TRUE(sawSent);
}

TEST_F(OutcomeTest, ClearingContinueDownloadInHeaderInfoEndsWithDoneInterrupted)
{
    server.Respond(ScriptedResponse::Ok("body").With("Date", "Sun, 06 Nov 1994 08:49:37 GMT"));
    int headerStatus = 0;
    int headerLength = 0;
    std::string headerType;
    TDateTime headerDate = 0;
    bool headerOnMain = false;
    http->OnHeaderInfo
        = [&](TObject*, int status, const std::string& raw, const std::string& type,
              const std::string&, const std::string&, int length, const std::string&,
              TDateTime date, TDateTime, TDateTime, const std::string&, bool& continueDownload) {
              EXPECT_TRUE(continueDownload);
              EXPECT_EQ(raw.substr(0, 12), "HTTP/1.1 200");
              headerStatus = status;
              headerType = type;
              headerLength = length;
              headerDate = date;
              headerOnMain = OnMainThread();
              continueDownload = false;
          };
    EXPECT_EQ(RunToEnd(), (Events { "DoneInterrupted" }));
    EXPECT_FALSE(Entries()[0].requestBusy);
    EXPECT_EQ(headerStatus, 200);
    EXPECT_EQ(headerType, "text/html");
    EXPECT_EQ(headerLength, 4);
    EXPECT_EQ(headerDate, HeaderDateToDateTime("Sun, 06 Nov 1994 08:49:37 GMT"));
    EXPECT_NE(headerDate, 0);
    EXPECT_TRUE(headerOnMain);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(output)));
}

TEST_F(OutcomeTest, ExceptionInTheWorkerIsReportedAtOnceThenTheStateReached)
{
    server.Respond(ScriptedResponse::Ok("never asked"));
    http->OnBeforeSendRequest = [](TObject*, void*) { throw std::runtime_error("handler failed"); };
    EXPECT_EQ(RunToEnd(), (Events { "AnyError", "AnyError", "OutputFileError" }));
}

TEST_F(OutcomeTest, ExceptionInACompletionHandlerIsReportedAndTheComponentIdles)
{
    server.Respond(ScriptedResponse::Ok("body"));
    http->OnDone = [this](TObject*, const std::string&, int, TStream*) {
        Log("Done");
        throw std::runtime_error("handler failed");
    };
    EXPECT_EQ(RunToEnd(), (Events { "Done", "AnyError" }));
    EXPECT_FALSE(http->GetRequestBusy());
    server.Respond(ScriptedResponse::Ok("next"));
    EXPECT_TRUE(http->Read(false));
    EXPECT_TRUE(WaitForEvents(3));
}

TEST_F(OutcomeTest, ExceptionInAHandedOverHandlerIsSwallowed)
{
    server.Respond(ScriptedResponse::Ok("body"));
    http->OnProgress = [](TObject*, const std::string&, int, int, int, int, std::uint8_t, float,
                           TStream*) { throw std::runtime_error("handler failed"); };
    EXPECT_EQ(RunToEnd(), (Events { "Done(text/html,4,null)" }));
}

TEST_F(OutcomeTest, BeforeSendRequestRunsOnTheWorkerWithTheRequest)
{
    server.Respond(ScriptedResponse::Ok("body"));
    std::atomic<bool> onWorker { false };
    std::atomic<bool> hadRequest { false };
    http->OnBeforeSendRequest = [&](TObject*, void* request) {
        onWorker = !OnMainThread();
        hadRequest = request != nullptr;
    };
    EXPECT_EQ(RunToEnd(), (Events { "Done(text/html,4,null)" }));
    EXPECT_TRUE(onWorker);
    EXPECT_TRUE(hadRequest);
}

TEST_F(OutcomeTest, PasswordRequestRetriesWithTheGivenCredentials)
{
    server.Handle([](const RecordedRequest& request) {
        if (request.Header("Authorization") == "Basic dXNlcjpzZWNyZXQ=")
            return ScriptedResponse::Ok("welcome");
        return ScriptedResponse::Status(401, "who are you")
            .With("WWW-Authenticate", "Basic realm=\"Members\"");
    });
    std::string realm;
    http->OnPasswordRequest = [&](TObject*, const std::string& given, bool& tryAgain) {
        EXPECT_FALSE(tryAgain);
        realm = given;
        http->Username = "user";
        http->Password = "secret";
        tryAgain = true;
    };
    EXPECT_EQ(RunToEnd(), (Events { "Done(text/html,7,null)" }));
    EXPECT_EQ(realm, "Members");
    EXPECT_EQ(ReadFileBytes(output), "welcome");
}

TEST_F(OutcomeTest, ProxyAuthenticationRetriesWithTheGivenProxyCredentials)
{
    server.Handle([](const RecordedRequest& request) {
        if (request.Header("Proxy-Authorization") == "Basic cHJveHk6cGFzcw==")
            return ScriptedResponse::Ok("through the proxy");
        return ScriptedResponse::Status(407, "proxy says no")
            .With("Proxy-Authenticate", "Basic realm=\"Proxy\"");
    });
    http->URL = "http://origin.invalid/page";
    http->Proxy.AccessType = atUseProxy;
    http->Proxy.ProxyServer = "127.0.0.1";
    http->Proxy.ProxyPort = server.Port();
    http->Proxy.ProxyBypass = "";
    int asked = 0;
    http->OnProxyAuthenticationRequest
        = [&](TObject*, std::string& user, std::string& password, bool& tryAgain) {
              EXPECT_FALSE(tryAgain);
              ++asked;
              user = "proxy";
              password = "pass";
              tryAgain = true;
          };
    EXPECT_EQ(RunToEnd(), (Events { "Done(text/html,17,null)" }));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(http->Proxy.ProxyUsername, "proxy");
    EXPECT_EQ(server.Requests().back().target, "http://origin.invalid/page");
}

TEST_F(OutcomeTest, ReadWhileBusyIsRefusedAndTheRunningTransferGoesOn)
{
    ScriptedResponse late = ScriptedResponse::Ok("late");
    late.delayBeforeStatus = 200ms;
    server.Respond(late);
    EXPECT_TRUE(http->Read(false));
    http->URL = server.Url("/other");
    EXPECT_FALSE(http->Read(false));
    ASSERT_TRUE(WaitUntilIdle());
    SettleBriefly();
    EXPECT_EQ(Texts(), (Events { "Done(text/html,4,null)" }));
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].target, "/page");
}

TEST_F(OutcomeTest, DestroyingTheComponentMidTransferDeliversNothing)
{
    ScriptedResponse slow = ScriptedResponse::Ok(PatternBytes(100000), "application/octet-stream");
    slow.delayAfterBytes = 10;
    slow.delayInBody = 3000ms;
    server.Respond(slow);
    ASSERT_TRUE(http->Read(false));
    ASSERT_TRUE(server.WaitForRequests(1));
    std::this_thread::sleep_for(50ms);
    http.reset();
    EXPECT_TRUE(PumpEventsUntil([] { return TacEventThread::LiveCount() == 0; }, 1500));
    EXPECT_TRUE(log.empty());
}

// ---------------------------------------------------------------------------
// Method and body on the wire.

class RequestMethodTest : public HttpFixture {
protected:
    void SetUp() override
    {
        HttpFixture::SetUp();
        http->URL = server.Url("/form");
        server.Respond(ScriptedResponse::Ok("ok"));
        LogCompletionEvents();
    }

    RecordedRequest Send()
    {
        EXPECT_TRUE(http->Read(false));
        EXPECT_TRUE(WaitUntilIdle());
        const auto requests = server.Requests();
        return requests.empty() ? RecordedRequest {} : requests.back();
    }
};

TEST_F(RequestMethodTest, PostWithAnEmptyBodyStillSendsTheFormType)
{
    http->RequestMethod = rmPOST;
    const RecordedRequest request = Send();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(request.Header("Content-Length"), "0");
    EXPECT_EQ(request.body, "");
}

TEST_F(RequestMethodTest, GetNeverSendsTheBody)
{
    http->RequestMethod = rmGET;
    http->POSTData = "ignored=1";
    const RecordedRequest request = Send();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.body, "");
    EXPECT_FALSE(request.Header("Content-Type").has_value());
}

TEST_F(RequestMethodTest, AutoDetectChoosesByTheBody)
{
    EXPECT_EQ(Send().method, "GET");
    http->POSTData = "a=1";
    const RecordedRequest request = Send();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.body, "a=1");
}

TEST_F(RequestMethodTest, ExtraHeadersArePassedAndPragmaNoCacheIsAsked)
{
    http->AddHeaders = { "X-First: one", "X-Second: two" };
    http->CacheOptions = { coPragmaNoCache };
    const RecordedRequest request = Send();
    EXPECT_EQ(request.Header("X-First"), "one");
    EXPECT_EQ(request.Header("X-Second"), "two");
    EXPECT_EQ(request.Header("Pragma"), "no-cache");
}

TEST_F(RequestMethodTest, QueryIsReEncodedAndTheFragmentSentEscaped)
{
    http->URL = server.Url("/form?q=a%20b&c=+");
    EXPECT_EQ(Send().target, "/form?q=a%20b&c=%2B");
    http->URL = server.Url("/form#x");
    EXPECT_EQ(Send().target, "/form%23x");
}

TEST_F(RequestMethodTest, AnAddressWithoutSchemeIsReadOverHttp)
{
    http->URL = "127.0.0.1:" + std::to_string(server.Port()) + "/form";
    EXPECT_EQ(Send().target, "/form");
    EXPECT_EQ(Texts(), (Events { "Done(text/html,2,null)" }));
}

TEST_F(RequestMethodTest, UploadPostsAMultipartBodyWithAFreshBoundary)
{
    http->OnUploadFieldRequest = [](TObject*, std::uint16_t index, TMemoryStream* stream,
                                     std::string& field, std::string& file) {
        field = "field" + std::to_string(index);
        file = index == 0 ? "notes.txt" : "";
        stream->write(index == 0 ? "file content" : "plain value");
    };
    std::vector<int> uploadProgress;
    http->OnUploadProgress
        = [&](TObject*, int size, int sent, int, int, std::uint8_t percents, float) {
              EXPECT_GT(size, 0);
              EXPECT_LE(sent, size);
              uploadProgress.push_back(percents);
          };
    ASSERT_TRUE(http->Upload(2, false));
    ASSERT_TRUE(WaitUntilIdle());
    const RecordedRequest request = server.Requests().at(0);
    EXPECT_EQ(request.method, "POST");
    const std::string type = request.Header("Content-Type").value_or("");
    const std::string prefix = "multipart/form-data, boundary=";
    ASSERT_EQ(type.substr(0, prefix.size()), prefix);
    const std::string boundary = type.substr(prefix.size());
    EXPECT_GE(boundary.size(), 24u);
    EXPECT_EQ(request.body,
        "--" + boundary
            + "\r\nContent-Disposition: form-data; name=\"field0\"; filename=\"notes.txt\"\r\n"
              "Content-Type: text/plain\r\n\r\nfile content\r\n--"
            + boundary
            + "\r\nContent-Disposition: form-data; name=\"field1\"\r\n\r\nplain value\r\n--"
            + boundary + "--\r\n");
    ASSERT_FALSE(uploadProgress.empty());
    EXPECT_EQ(uploadProgress.back(), 100);
    EXPECT_EQ(Texts(), (Events { "Done(text/html,2,null)" }));
}

TEST_F(RequestMethodTest, PreparedUploadOfValuesAndAThumbnail)
{
    QImage picture(400, 200, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const std::string pictureFile = folder.File("picture.png");
    ASSERT_TRUE(picture.save(QString::fromStdString(pictureFile)));
    http->BeginPrepareUpload();
    http->UploadString("name", "va\"lue");
    http->UploadInteger("count", 42);
    http->UploadBoolean("flag", true);
    ASSERT_TRUE(http->UploadThumbnailedPicture("thumb", pictureFile, 100, 100));
    EXPECT_FALSE(http->UploadPicture("missing", folder.File("none.png")));
    ASSERT_TRUE(http->EndPrepareUpload(false));
    ASSERT_TRUE(WaitUntilIdle());
    const RecordedRequest request = server.Requests().at(0);
    EXPECT_NE(request.body.find("name=\"name\"\r\n\r\nva\"lue\r\n"), std::string::npos);
    EXPECT_NE(request.body.find("name=\"count\"\r\n\r\n42\r\n"), std::string::npos);
    EXPECT_NE(request.body.find("name=\"flag\"\r\n\r\nTrue\r\n"), std::string::npos);
    const std::string marker = "filename=\"picture.png\"\r\nContent-Type: image/png\r\n\r\n";
    const size_t start = request.body.find(marker);
    ASSERT_NE(start, std::string::npos);
    const size_t end = request.body.find("\r\n--", start + marker.size());
    const std::string png = request.body.substr(start + marker.size(), end - start - marker.size());
    QImage thumbnail;
    ASSERT_TRUE(thumbnail.loadFromData(QByteArray::fromStdString(png), "PNG"));
    EXPECT_EQ(thumbnail.size(), QSize(100, 50));
}

// ---------------------------------------------------------------------------
// Blocking reads and their time-out.

class WaitTest : public HttpFixture {
protected:
    void SetUp() override
    {
        HttpFixture::SetUp();
        http->URL = server.Url("/slow");
        LogCompletionEvents();
        http->SetWaitTimeout(300);
    }
};

TEST_F(WaitTest, BlockingReadReturnsAfterTheCompletionEvents)
{
    server.Respond(ScriptedResponse::Ok("body"));
    EXPECT_TRUE(http->Read(true));
    EXPECT_EQ(Texts(), (Events { "Done(text/html,4,null)" }));
    EXPECT_FALSE(http->GetWaitThread());
}

TEST_F(WaitTest, TimeoutLeftToTerminateStopsTheTransferAndReadReturnsFalse)
{
    ScriptedResponse stalled
        = ScriptedResponse::Ok(PatternBytes(100000), "application/octet-stream");
    stalled.delayAfterBytes = 40000;
    stalled.delayInBody = 3000ms;
    server.Respond(stalled);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(http->Read(true));
    EXPECT_GE(clock.elapsed(), 300);
    EXPECT_LT(clock.elapsed(), 2500);
    const auto entries = Entries();
    ASSERT_EQ(Texts(), (Events { "WaitTimeoutExpired" }));
    EXPECT_TRUE(entries[0].onMainThread);
    EXPECT_FALSE(http->GetRequestBusy());
    EXPECT_FALSE(http->GetThreadBusy());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(output)));
    EXPECT_EQ(GetOutputFileAttributes(output), (TacFileAttributes { atrArchive, atrTemporary }));
    EXPECT_TRUE(PumpEventsUntil([] { return TacEventThread::LiveCount() == 1; }, 1000));
    SettleBriefly();
    EXPECT_EQ(Texts(), (Events { "WaitTimeoutExpired" }));
}

TEST_F(WaitTest, TimeoutNotTerminatingReturnsTrueAndTheTransferCompletesLater)
{
    ScriptedResponse late = ScriptedResponse::Ok("late body");
    late.delayBeforeStatus = 800ms;
    server.Respond(late);
    terminateOnTimeout = false;
    EXPECT_TRUE(http->Read(true));
    EXPECT_EQ(Texts(), (Events { "WaitTimeoutExpired" }));
    EXPECT_TRUE(http->GetRequestBusy());
    ASSERT_TRUE(WaitUntilIdle());
    SettleBriefly();
    EXPECT_EQ(Texts(), (Events { "WaitTimeoutExpired", "Done(text/html,9,null)" }));
}

// ---------------------------------------------------------------------------
// Ranges and resuming.

class RangeTest : public HttpFixture {
protected:
    void SetUp() override
    {
        HttpFixture::SetUp();
        http->URL = server.Url("/resource");
        http->TransferBufferSize = 32000;
        server.Handle([this](const RecordedRequest& request) {
            return ScriptedResponse::Ranged(request, resource, withContentRange);
        });
        LogCompletionEvents();
    }

    std::string resource = PatternBytes(100000);
    bool withContentRange = true;
};

TEST_F(RangeTest, AnEndBelowTheStartReadsFromZeroUpToTheEnd)
{
    ASSERT_TRUE(http->ReadRange(100, 50, false));
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(server.Requests().at(0).Header("Range"), "bytes=0-50");
    EXPECT_EQ(Texts(), (Events { "Done(application/octet-stream,51,null)" }));
    EXPECT_EQ(ReadFileBytes(output), resource.substr(0, 51));
}

TEST_F(RangeTest, TheRangePropertyIsTheDefault)
{
    http->Range.StartRange = 10;
    http->Range.EndRange = 19;
    ASSERT_TRUE(http->Read(false));
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(server.Requests().at(0).Header("Range"), "bytes=10-19");
    EXPECT_EQ(Texts(), (Events { "Done(application/octet-stream,20,null)" }));
    const std::string written = ReadFileBytes(output);
    ASSERT_EQ(written.size(), 20u);
    EXPECT_EQ(written.substr(10), resource.substr(10, 10));
}

TEST_F(RangeTest, AReplyWithoutContentRangeRewritesTheFileFromTheStart)
{
    withContentRange = false;
    WriteFileBytes(output, std::string(5000, 'z'));
    ASSERT_TRUE(http->ReadRange(1000, 0, false));
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(Texts(), (Events { "Done(application/octet-stream,99000,null)" }));
    EXPECT_EQ(ReadFileBytes(output), resource.substr(1000));
}

TEST_F(RangeTest, ResumeWithAMatchingFirstBlockAppendsTheRest)
{
    WriteFileBytes(output, resource.substr(0, 40000));
    ASSERT_TRUE(http->Resume());
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].Header("Range"), "bytes=8000-");
    EXPECT_EQ(Texts(), (Events { "Done(application/octet-stream,100000,null)" }));
    EXPECT_EQ(ReadFileBytes(output), resource);
}

TEST_F(RangeTest, ResumeWithAMismatchingFirstBlockFetchesEverythingAgain)
{
    WriteFileBytes(output, std::string(40000, 'z'));
    ASSERT_TRUE(http->Resume());
    ASSERT_TRUE(WaitUntilIdle());
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Header("Range"), "bytes=8000-");
    EXPECT_FALSE(requests[1].Header("Range").has_value());
    EXPECT_EQ(Texts(), (Events { "Done(application/octet-stream,100000,null)" }));
    EXPECT_EQ(ReadFileBytes(output), resource);
}

TEST_F(RangeTest, ProgressOfThreeAndAnEighthBlocks)
{
    struct Progress {
        int dataSize, bytesRead, percents;
        bool onMain;
    };
    std::vector<Progress> calls;
    http->OnProgress = [&](TObject*, const std::string& type, int size, int read, int elapsed,
                           int left, std::uint8_t percents, float rate, TStream* stream) {
        EXPECT_EQ(type, "application/octet-stream");
        EXPECT_GE(elapsed, 0);
        EXPECT_LE(left, 0 + elapsed);
        EXPECT_GE(rate, 0.0f);
        EXPECT_NE(stream, nullptr);
        calls.push_back({ size, read, percents, OnMainThread() });
    };
    ASSERT_TRUE(http->Read(false));
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_EQ(calls.size(), 4u);
    const std::vector<int> reads { 32000, 64000, 96000, 100000 };
    const std::vector<int> percents { 32, 64, 96, 100 };
    for (size_t index = 0; index < calls.size(); ++index) {
        EXPECT_EQ(calls[index].dataSize, 100000);
        EXPECT_EQ(calls[index].bytesRead, reads[index]);
        EXPECT_EQ(calls[index].percents, percents[index]);
        EXPECT_TRUE(calls[index].onMain);
    }
}

// ---------------------------------------------------------------------------
// The "file" scheme.

class FileSchemeTest : public HttpFixture {
protected:
    void SetUp() override
    {
        HttpFixture::SetUp();
        source = folder.File("source.txt");
        http->URL = "file://" + source;
        LogCompletionEvents();
    }
    std::string source;
};

TEST_F(FileSchemeTest, ALocalFileIsCopiedToTheOutputFile)
{
    WriteFileBytes(source, "local content");
    int headerCalls = 0;
    http->OnHeaderInfo
        = [&](TObject*, int, const std::string&, const std::string&, const std::string&,
              const std::string&, int, const std::string&, TDateTime, TDateTime, TDateTime,
              const std::string&, bool&) { ++headerCalls; };
    ASSERT_TRUE(http->Read(false));
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(Texts(), (Events { "Done(,13,null)" }));
    EXPECT_EQ(ReadFileBytes(output), "local content");
    EXPECT_EQ(headerCalls, 0);
}

TEST_F(FileSchemeTest, ARangeOfALocalFileCompletes)
{
    WriteFileBytes(source, "0123456789");
    ASSERT_TRUE(http->ReadRange(3, 6, false));
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(Texts(), (Events { "Done(,7,null)" }));
    EXPECT_EQ(ReadFileBytes(output).substr(3), "3456");
}

TEST_F(FileSchemeTest, AMissingFileIsNotFound)
{
    ASSERT_TRUE(http->Read(false));
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(Texts(), (Events { "HTTPError(404,\"\")", "AnyError" }));
}

// ---------------------------------------------------------------------------
// Sub-objects and defaults.

TEST(HttpDefaultsTest, PublishedPropertiesStartAtTheirDefaults)
{
    TacHTTP http;
    EXPECT_EQ(http.AcceptTypes, "text/html, */*");
    EXPECT_TRUE(http.AddHeaders.empty());
    EXPECT_FALSE(http.Agent.empty());
    EXPECT_EQ(http.CacheOptions,
        (TacCacheOptions {
            coReloadIfNoExpireInformation, coReloadUpdatedObjects, coCreateTempFilesIfCantCache }));
    EXPECT_EQ(http.InternetOptions, TacInternetOptions { ioKeepConnection });
    EXPECT_EQ(http.OutputFileAttributes.Complete, TacFileAttributes { atrArchive });
    EXPECT_EQ(
        http.OutputFileAttributes.Incomplete, (TacFileAttributes { atrArchive, atrTemporary }));
    EXPECT_EQ(http.RequestMethod, rmAutoDetect);
    EXPECT_EQ(http.Range.StartRange, 0u);
    EXPECT_EQ(http.Timeouts.ConnectTimeout, 0u);
    EXPECT_EQ(http.TransferBufferSize, 4096);
    EXPECT_FALSE(http.GetWaitThread());
    EXPECT_EQ(http.GetWaitTimeout(), 0);
    EXPECT_EQ(http.GetThreadPriority(), tpNormal);
    EXPECT_EQ(http.Proxy.AccessType, atPreconfig);
    EXPECT_EQ(http.Proxy.ProxyPort, 8080);
    EXPECT_EQ(http.Proxy.ProxyBypass, "127.0.0.1;");
    EXPECT_FALSE(http.GetThreadBusy());
    EXPECT_FALSE(http.IsGlobalOffline());
    EXPECT_EQ(http.property("TransferBufferSize").toInt(), 4096);
    EXPECT_TRUE(http.setProperty("RequestMethod", QVariant::fromValue(rmPOST)));
    EXPECT_EQ(http.RequestMethod, rmPOST);

    TacHTTPPragmaNoCache noCache;
    EXPECT_EQ(noCache.CacheOptions,
        (TacCacheOptions {
            coReloadIfNoExpireInformation, coReloadUpdatedObjects, coPragmaNoCache }));
}

TEST(HttpDefaultsTest, AssignCopiesOrResetsEverySubObject)
{
    TacHTTPProxy proxy;
    proxy.AccessType = atUseProxy;
    proxy.ProxyPort = 3128;
    proxy.ProxyServer = "proxy.local";
    proxy.ProxyBypass = "";
    proxy.ProxyUsername = "u";
    proxy.ProxyPassword = "p";
    TacHTTPProxy copy;
    copy.Assign(&proxy);
    EXPECT_EQ(copy.ProxyPort, 3128);
    EXPECT_EQ(copy.ProxyServer, "proxy.local");
    EXPECT_EQ(copy.ProxyPassword, "p");
    copy.Assign(nullptr);
    EXPECT_EQ(copy.AccessType, atPreconfig);
    EXPECT_EQ(copy.ProxyBypass, "127.0.0.1;");
    EXPECT_EQ(copy.ProxyServer, "");

    TacOutputFileAttributes attributes;
    TacOutputFileAttributes other;
    other.Complete = { atrReadOnly };
    attributes.Assign(&other);
    EXPECT_EQ(attributes.Complete, TacFileAttributes { atrReadOnly });
    attributes.Assign(nullptr);
    EXPECT_EQ(attributes.Complete, TacFileAttributes { atrArchive });

    TacHTTPRange range;
    TacHTTPRange given { 5, 9 };
    range.Assign(&given);
    EXPECT_EQ(range.EndRange, 9u);
    range.Assign(nullptr);
    EXPECT_EQ(range.EndRange, 0u);

    TacHTTPTimeouts timeouts;
    TacHTTPTimeouts longer { 1, 2, 3 };
    timeouts.Assign(&longer);
    EXPECT_EQ(timeouts.SendTimeout, 3u);
    timeouts.Assign(nullptr);
    EXPECT_EQ(timeouts.SendTimeout, 0u);
}

TEST(HttpLifetimeTest, FreeOnTerminateFreesTheComponentAfterItsTransfer)
{
    TestHttpServer server;
    server.Respond(ScriptedResponse::Ok("body"));
    QObject owner;
    QPointer<TacHTTP> http = new TacHTTP(&owner);
    http->URL = server.Url("/");
    http->SetFreeOnTerminate(true);
    EXPECT_TRUE(http->GetFreeOnTerminate());
    int done = 0;
    http->OnDone = [&](TObject*, const std::string&, int, TStream* stream) {
        EXPECT_NE(stream, nullptr);
        ++done;
    };
    ASSERT_TRUE(http->Read(false));
    EXPECT_TRUE(PumpEventsUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return http.isNull();
    }));
    EXPECT_EQ(done, 1);
    EXPECT_TRUE(PumpEventsUntil([] { return TacEventThread::LiveCount() == 0; }));
}

TEST(HttpDefaultsTest, FileAndHostNamesComeFromTheAddress)
{
    TacHTTP http;
    http.URL = "https://translate.example:8443/dir/page.htm?x=1";
    EXPECT_EQ(http.GetFileName(), "page.htm");
    EXPECT_EQ(http.GetHostName(), "translate.example");
}

} // namespace
