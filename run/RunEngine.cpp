#include "run/RunEngine.h"

#include "platform/FileReplacement.h"
#include "platform/InternetClient.h"
#include "platform/Paths.h"
#include "run/HopDetails.h"
#include "run/LanguageTable.h"
#include "run/RunFailures.h"
#include "run/ServiceAddress.h"
#include "run/ServicePreparation.h"
#include "run/ServiceStarter.h"
#include "run/TranslationPlan.h"
#include "run/TranslationReply.h"
#include "run/TranslationRequest.h"
#include "text/MemoLines.h"
#include "transfer/acHTTP.h"

#include <QTimer>
#include <filesystem>

namespace {

const std::string ReplyFileName = std::string("translator_replypage") + ".htm";
const int PauseBetweenCalls = 500; // milliseconds

// The reply extraction writes its blocks to the debug log as it goes.
class ReportingLog final : public TDebugLog {
public:
    explicit ReportingLog(std::function<void(const std::string&)> append)
        : append(std::move(append))
    {
    }
    void Append(const std::string& text) override { append(text); }

private:
    std::function<void(const std::string&)> append;
};

// Certificate checks stay on: accepting any certificate would let anyone on
// the way read and rewrite every translation. The reply comes to memory, no
// larger than a page can sensibly be, and is parsed from there; the reply
// file is the user's copy of it.
void ConfigureRequests(TacHTTP& achtp)
{
    achtp.setObjectName(QStringLiteral("achtp"));
    achtp.Agent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)";
    achtp.URL = ServiceURL;
    achtp.CacheOptions = { coAlwaysReload, coReloadIfNoExpireInformation, coReloadUpdatedObjects,
        coCreateTempFilesIfCantCache };
    achtp.InternetOptions = { ioKeepConnection };
    achtp.Referer = ServiceReferer;
    achtp.RequestMethod = rmPOST;
    achtp.TransferBufferSize = 32000;
    achtp.MaximumReplySize = MaximumReplyPageSize;
}

// Texts are the same when they hold the same lines, whatever ends them: the
// input carries the line breaks of its memo, a reply does not.
bool SameLines(const std::string& left, const std::string& right)
{
    return text::SplitMemoText(left) == text::SplitMemoText(right);
}

std::string ReplyFileMessage(const std::string& fileName, const std::string& reason)
{
    return "Error: could not write " + fileName + (reason.empty() ? "." : ": " + reason + ".");
}

// The debug log's block for a service that was started and did not come up.
std::string ServiceBlock(const std::string& report)
{
    return "\n------------------------------ TRANSLATION SERVICE ------------------------------\n"
        + report + "\n";
}

// The debug log's line for the way the service took a step.
std::string RouteBlock(const StepReport& step, const HopDetails& details)
{
    std::string chain = LanguageNameOfCode(step.sourceCode);
    for (const std::string& pivot : details.via)
        chain += " \xE2\x86\x92 " + LanguageNameOfCode(pivot);
    chain += " \xE2\x86\x92 " + LanguageNameOfCode(step.targetCode);
    return "\nRoute: " + chain + " (" + details.engine + ")\n";
}

std::string RoundsText(int rounds)
{
    return std::to_string(rounds) + (rounds == 1 ? " round." : " rounds.");
}

} // namespace

std::string ReplyFolderFor(const std::string& programDirectory)
{
    return platform::IsInstalledCopy(programDirectory) ? platform::UserCacheDirectory()
                                                       : std::string();
}

RunInputs FixedRunInputs(std::string text, bool resetAfterEach, bool foreignChaining, bool pause)
{
    return { [text = std::move(text)] { return text; }, [resetAfterEach] { return resetAfterEach; },
        [foreignChaining] { return foreignChaining; }, [pause] { return pause; } };
}

RunEngine::RunEngine(QObject* parent)
    : QObject(parent), achtp(new TacHTTP(this)), pauseTimer(new QTimer(this)),
      replyTimer(new QTimer(this)), preparation(new ServicePreparation(this))
{
    ConfigureRequests(*achtp);
    achtp->OnDone = [this](QObject* Sender, const std::string&, int, TStream* Stream) {
        achtpDone(Sender, Stream);
    };
    achtp->OnAnyError = [this](QObject* Sender) { achtpAnyError(Sender); };
    // The events that come before OnAnyError tell what failed.
    achtp->OnHTTPError = [this](QObject*, int ErrorCode, TStream* Stream) {
        failedStatus = ErrorCode;
        failedReason = Stream
            ? ServiceReason(Stream->peek(LongestServiceValue + 1).toStdString(), ErrorCode)
            : std::string();
    };
    achtp->OnConnLost = [this](QObject*, const auto&...) { cutOff = true; };
    achtp->OnHeaderInfo = [this](QObject*, const auto&...) {
        if (run.receiveTimeout > 0)
            replyTimer->start(static_cast<int>(run.receiveTimeout));
    };
    replyTimer->setSingleShot(true);
    connect(replyTimer, &QTimer::timeout, this, [this] {
        tooSlow = true;
        achtp->Abort(false, false);
    });
    achtp->OnAborted = [this](QObject* Sender) { achtpAborted(Sender); };
    achtp->OnWaitTimeoutExpired
        = [this](QObject* Sender, bool& Terminate) { achtpWaitTimeoutExpired(Sender, Terminate); };
    // A precise timer never fires early, so the next request goes out no
    // sooner than the pause after the previous step ended.
    pauseTimer->setSingleShot(true);
    pauseTimer->setTimerType(Qt::PreciseTimer);
    connect(pauseTimer, &QTimer::timeout, this, [this] { DoNextStep(); });
}

RunEngine::~RunEngine() = default;

void RunEngine::Start(RunRequest request, ServiceStarter* starter)
{
    pauseTimer->stop();
    run = std::move(request);
    const unsigned thisRun = ++runNumber;
    CurrentStep = 0;
    AbortRequested = false;
    TotalSteps = static_cast<int>(run.plan.size());
    round = 1;
    stable = false;
    CurrentText = run.text;
    roundStartText = CurrentText;
    stepsDone = 0;
    reached = CurrentText;
    reachedUnshown = false;
    achtp->URL = run.url;
    achtp->AddHeaders.clear();
    achtp->Timeouts.ReceiveTimeout = run.receiveTimeout;
    if (run.plan.empty()) {
        StatusMessage = "Error: please specify some languages to translate.";
        FinishRun(RunEndKind::NotStarted);
        return;
    }
    const auto starting = [this, thisRun] {
        if (IsCurrent(thisRun) && OnServiceStarting)
            OnServiceStarting();
    };
    const auto firstStep
        = [this, thisRun](const ServiceReadiness& readiness) { FirstStep(thisRun, readiness); };
    if (starter)
        starter->Prepare(run.url, firstStep, starting);
    else
        firstStep({});
}

// Abort pressed while the service is asked for, comes up or prepares ends the
// run as the component would have, since no transfer is there to abort yet.
void RunEngine::FirstStep(unsigned thisRun, const ServiceReadiness& readiness)
{
    if (!IsCurrent(thisRun))
        return;
    if (AbortRequested)
        achtpAborted(achtp);
    else if (readiness.failed)
        ServiceDidNotStart(readiness.report);
    else if (readiness.ownService)
        PrepareSteps(thisRun, readiness.url);
    else
        DoNextStep();
}

// The service starts what every step needs at once, so the steps after the
// first do not each wait for their own start.
// The requests go where this user's service answers; the address asked for
// comes back at the end of the run, so the next run asks for it again.
void RunEngine::PrepareSteps(unsigned thisRun, const std::string& serviceUrl)
{
    achtp->AddHeaders = ownServiceHeaders;
    if (!serviceUrl.empty() && serviceUrl != achtp->URL) {
        achtp->URL = serviceUrl;
        urlResolved = true;
    }
    preparation->Send(achtp->URL, run.plan, [this, thisRun] {
        if (!IsCurrent(thisRun))
            return;
        if (AbortRequested)
            achtpAborted(achtp);
        else
            DoNextStep();
    });
}

void RunEngine::ServiceDidNotStart(const std::string& report)
{
    Debug(ServiceBlock(report));
    details = report;
    StatusMessage = "Error: the translation service did not start; see Debug Information.";
    FinishRun(RunEndKind::ServiceNotStarted);
}

// The pause once held the window, so a click during it was seen only after
// the next entry: an output marker there still shows the text reached.
void RunEngine::Abort()
{
    achtp->Abort(false, false);
    AbortRequested = true;
    if (!pauseTimer->isActive())
        return;
    pauseTimer->stop();
    AbortRequested = false;
    if (Entry().IsOutputMarker() && !ShowOutputAtMarker())
        return;
    AbortRequested = true;
    StatusMessage = "Aborted.";
    FinishRun(RunEndKind::Aborted);
}

const PlanStep& RunEngine::Entry() const
{
    return run.plan[static_cast<std::size_t>(CurrentStep)];
}

PlanStep RunEngine::CurrentEntry() const
{
    return Active() ? Entry() : PlanStep::OutputMarker();
}

void RunEngine::DoNextStep()
{
    if (Entry().IsOutputMarker() && !ShowOutputAtMarker())
        return;
    StartRequest(Entry());
}

// Returns whether the run goes on past the marker. The options are read now,
// so a change during the run takes effect at the next marker.
bool RunEngine::ShowOutputAtMarker()
{
    const bool reset = run.inputs.resetAfterEach();
    if (OnOutputMarker)
        OnOutputMarker({ CurrentStep, CurrentText, round });
    reachedUnshown = false;
    CurrentStep += 1;
    if (CurrentStep == TotalSteps) {
        // A new round starts from the text reached, whatever the options say.
        if (!CurrentText.empty() && StartNextRound())
            return true;
        FinishRun(RunEndKind::FinishedAtMarker);
        return false;
    }
    if (CurrentText.empty() || AbortRequested) {
        FinishRun(RunEndKind::FinishedAtMarker);
        return false;
    }
    if (reset && !run.inputs.foreignChaining())
        CurrentText = ResetText();
    return true;
}

// At the plan's end: decides whether another round runs, and when not, why.
// Abort is looked at here too, so a run until stable stops at the end of the
// round in which Abort was pressed.
bool RunEngine::StartNextRound()
{
    if (!run.untilStable)
        return false;
    if (SameLines(CurrentText, roundStartText)) {
        stable = true;
        StatusMessage = "Stable after " + RoundsText(round);
        return false;
    }
    if (round >= run.maxRounds) {
        StatusMessage = "Not stable after " + RoundsText(round);
        return false;
    }
    if (AbortRequested)
        return false;
    round += 1;
    roundStartText = CurrentText;
    CurrentStep = 0;
    return true;
}

// The first round starts each language afresh from the input as it stands
// now; later rounds from the text their round started with.
std::string RunEngine::ResetText() const
{
    return round == 1 ? run.inputs.inputText() : roundStartText;
}

void RunEngine::StartRequest(const PlanStep& step)
{
    requestText = PrepareRequestText(CurrentText);
    Debug(RequestBlock(step.Text(), requestText));
    achtp->POSTData = RequestBody(step.source, step.target, requestText);
    if (OnStepStarting)
        OnStepStarting({ CurrentStep, step.Text(), round });
    stepClock.start();
    failedStatus = 0;
    failedReason.clear();
    cutOff = false;
    tooSlow = false;
    if (!achtp->Read(false)) {
        StatusMessage = "Error: could not reach translation url.";
        FinishRun(RunEndKind::NotStarted);
    }
}

void RunEngine::achtpDone(QObject*, TStream* Stream)
{
    replyTimer->stop();
    if (!Active()) {
        StatusMessage = "Error: Unexpected reply after abort.";
        FinishRun(RunEndKind::UnexpectedReply);
        return;
    }
    if (!TakeReply(Stream ? Stream->readAll().toStdString() : std::string()))
        return;
    CurrentStep += 1;
    if (CurrentStep == TotalSteps && !StartNextRound()) {
        FinishRun(RunEndKind::FinishedInReply);
        return;
    }
    // The pause keeps the load on the service low; the event loop goes on
    // meanwhile, so the window stays responsive and Abort ends the run.
    // Without it the next request still waits for the event loop: the
    // component is busy until this reply's handler has returned.
    pauseTimer->start(run.inputs.pauseBetweenCalls() ? PauseBetweenCalls : 0);
}

// Keeps the user's copy of the page, cuts the translation out of it and
// reports the step; false when the run ended here.
bool RunEngine::TakeReply(const std::string& page)
{
    const std::string replyFile = replyFolder + ReplyFileName;
    std::error_code ignored;
    if (!replyFolder.empty() && std::filesystem::create_directories(replyFolder, ignored))
        std::filesystem::permissions(replyFolder, std::filesystem::perms::owner_all, ignored);
    if (const std::string failure = platform::ReplaceFileContents(replyFile, page);
        !failure.empty()) {
        StatusMessage = ReplyFileMessage(replyFile, failure);
        FinishRun(RunEndKind::TransferFailed);
        return false;
    }
    ReportingLog debugLog([this](const std::string& text) { Debug(text); });
    CurrentText = ExtractTranslationFromPage(page, StatusMessage, debugLog);
    if (CurrentText.empty()) {
        const auto [source, target] = CurrentEntry();
        const std::string reason = ReadHopDetails(page).reason;
        if (!reason.empty())
            Debug("\nThe translation service refused the text: " + reason + "\n");
        StatusMessage = RefusalMessage(StatusMessage, source, target, reason);
        FinishRun(RunEndKind::ReplyUnusable);
        return false;
    }
    stepsDone += 1;
    reached = CurrentText;
    reachedUnshown = true;
    ReportStep(page);
    return true;
}

void RunEngine::ReportStep(const std::string& page)
{
    const auto [source, target] = CurrentEntry();
    const HopDetails details = ReadHopDetails(page);
    const StepReport step { CurrentStep, Entry().Text(), source, target, requestText, CurrentText,
        stepClock.elapsed(), round, details.via, RouteText(details) };
    if (!details.engine.empty())
        Debug(RouteBlock(step, details));
    if (OnStepDone)
        OnStepDone(step);
}

void RunEngine::achtpAnyError(QObject*)
{
    StatusMessage = TransferFailureMessage();
    FinishRun(RunEndKind::TransferFailed);
}

std::string RunEngine::TransferFailureMessage() const
{
    const auto [source, target] = CurrentEntry();
    return StepFailureMessage({ run.url, source, target, failedStatus, cutOff,
        achtp->GetLastFailure(), run.receiveTimeout, tooSlow, failedReason });
}

void RunEngine::achtpAborted(QObject*)
{
    if (tooSlow) {
        StatusMessage = TransferFailureMessage();
        FinishRun(RunEndKind::TransferFailed);
        return;
    }
    StatusMessage = "Aborted.";
    FinishRun(RunEndKind::Aborted);
}

void RunEngine::achtpWaitTimeoutExpired(QObject*, bool&)
{
    StatusMessage = "Error: Timeout Expired.";
    FinishRun(RunEndKind::TimedOut);
}

// The run is idle before the front end hears of the end, so that it may
// start the next run from its handler.
void RunEngine::FinishRun(RunEndKind kind)
{
    pauseTimer->stop();
    replyTimer->stop();
    if (std::exchange(urlResolved, false))
        achtp->URL = run.url;
    const bool onEntry = CurrentStep >= 0 && CurrentStep < TotalSteps;
    const RunEnd end { kind, std::exchange(StatusMessage, {}), CurrentText, round, run.untilStable,
        stable, std::exchange(details, {}), onEntry ? CurrentStep : -1,
        onEntry ? Entry() : PlanStep::OutputMarker(), TotalSteps, stepsDone, reached,
        reachedUnshown };
    CurrentStep = -1;
    if (OnEnd)
        OnEnd(end);
}

void RunEngine::Debug(const std::string& text)
{
    if (OnDebugText)
        OnDebugText(text);
}
