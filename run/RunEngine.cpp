#include "run/RunEngine.h"

#include "platform/Text.h"
#include "run/ServiceAddress.h"
#include "run/ServiceStarter.h"
#include "run/TranslationPlan.h"
#include "run/TranslationReply.h"
#include "run/TranslationRequest.h"
#include "transfer/acHTTP.h"

#include <QFile>
#include <QTimer>

namespace {

const std::string ReplyFileName = std::string("translator_replypage") + ".htm";
const int PauseBetweenCalls = 500; // milliseconds
const int TooLargeStatus = 413; // the service refuses a request over its size limit

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
// the way read and rewrite every translation.
void ConfigureRequests(TacHTTP& achtp)
{
    achtp.setObjectName(QStringLiteral("achtp"));
    achtp.Agent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)";
    achtp.URL = ServiceURL;
    achtp.CacheOptions = { coAlwaysReload, coReloadIfNoExpireInformation, coReloadUpdatedObjects,
        coCreateTempFilesIfCantCache };
    achtp.InternetOptions = { ioKeepConnection };
    achtp.OutputFileName = ReplyFileName;
    achtp.Referer = ServiceReferer;
    achtp.RequestMethod = rmPOST;
    achtp.TransferBufferSize = 32000;
}

// Texts are the same when they hold the same lines, whatever ends them: the
// input carries the line breaks of its memo, a reply does not.
bool SameLines(const std::string& left, const std::string& right)
{
    return platform::SplitMemoText(left) == platform::SplitMemoText(right);
}

// The system's reason why the file cannot be opened for writing, empty when
// it can; a file that the trial creates is removed again.
std::string FileWriteFailure(const std::string& fileName)
{
    QFile file(platform::ToQString(fileName));
    const bool existed = file.exists();
    if (!file.open(QIODevice::ReadWrite))
        return platform::ToBytes(file.errorString());
    if (!existed)
        file.remove();
    return {};
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

std::string RoundsText(int rounds)
{
    return std::to_string(rounds) + (rounds == 1 ? " round." : " rounds.");
}

} // namespace

RunInputs FixedRunInputs(std::string text, bool resetAfterEach, bool foreignChaining, bool pause)
{
    return { [text = std::move(text)] { return text; }, [resetAfterEach] { return resetAfterEach; },
        [foreignChaining] { return foreignChaining; }, [pause] { return pause; } };
}

RunEngine::RunEngine(QObject* parent)
    : QObject(parent), achtp(new TacHTTP(this)), pauseTimer(new QTimer(this))
{
    ConfigureRequests(*achtp);
    achtp->OnDone = [this](QObject* Sender, const std::string&, int, TStream* Stream) {
        achtpDone(Sender, Stream);
    };
    achtp->OnAnyError = [this](QObject* Sender) { achtpAnyError(Sender); };
    // The events that come before OnAnyError tell what failed.
    achtp->OnHTTPError = [this](QObject*, int ErrorCode, TStream*) { failedStatus = ErrorCode; };
    achtp->OnConnLost = [this](QObject*, const auto&...) { failedStatus = -1; };
    achtp->OnHostUnreachable = [this](QObject*) { failedStatus = -1; };
    achtp->OnAborted = [this](QObject* Sender) { achtpAborted(Sender); };
    achtp->OnWaitTimeoutExpired
        = [this](QObject* Sender, bool& Terminate) { achtpWaitTimeoutExpired(Sender, Terminate); };
    // A precise timer never fires early, so the next request goes out no
    // sooner than the pause after the previous step ended.
    pauseTimer->setSingleShot(true);
    pauseTimer->setTimerType(Qt::PreciseTimer);
    pauseTimer->setInterval(PauseBetweenCalls);
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
    achtp->URL = run.url;
    if (run.plan.empty()) {
        StatusMessage = "Error: please specify some languages to translate.";
        FinishRun(RunEndKind::NotStarted);
        return;
    }
    // Abort pressed while the service is asked for or comes up ends the run
    // as the component would have, since no transfer is there to abort yet.
    const auto firstStep = [this, thisRun](const ServiceReadiness& readiness) {
        if (thisRun != runNumber || !Active())
            return;
        if (AbortRequested)
            achtpAborted(achtp);
        else if (readiness.failed)
            ServiceDidNotStart(readiness.report);
        else
            DoNextStep();
    };
    const auto starting = [this, thisRun] {
        if (thisRun == runNumber && Active() && OnServiceStarting)
            OnServiceStarting();
    };
    if (starter)
        starter->Prepare(run.url, firstStep, starting);
    else
        firstStep({});
}

void RunEngine::ServiceDidNotStart(const std::string& report)
{
    Debug(ServiceBlock(report));
    details = report;
    StatusMessage = "Error: the translation service did not start; see Debug Information.";
    FinishRun(RunEndKind::ServiceNotStarted);
}

void RunEngine::Abort()
{
    achtp->Abort(false, false);
    AbortRequested = true;
    if (pauseTimer->isActive()) {
        StatusMessage = "Aborted.";
        FinishRun(RunEndKind::Aborted);
    }
}

const std::string& RunEngine::Entry() const
{
    return run.plan[static_cast<std::size_t>(CurrentStep)];
}

void RunEngine::DoNextStep()
{
    if (Entry() == OutputMarker && !ShowOutputAtMarker())
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

void RunEngine::StartRequest(const std::string& entry)
{
    requestText = PrepareRequestText(CurrentText);
    achtp->OutputFileName = ReplyFileName;
    Debug(RequestBlock(entry, requestText));
    std::string target = entry;
    std::string source;
    SplitFirst(target, source, "|", true);
    achtp->POSTData = RequestBody(source, target, requestText);
    if (OnStepStarting)
        OnStepStarting({ CurrentStep, entry, round });
    stepClock.start();
    failedStatus = 0;
    if (!achtp->Read(false)) {
        StatusMessage = "Error: could not reach translation url.";
        FinishRun(RunEndKind::NotStarted);
    }
}

void RunEngine::achtpDone(QObject*, TStream* Stream)
{
    if (!Active()) {
        StatusMessage = "Error: Unexpected reply after abort.";
        FinishRun(RunEndKind::UnexpectedReply);
        return;
    }
    // A reply without a length that could not go to the reply file arrives
    // in memory; the file on disk is then an older reply.
    if (Stream) {
        StatusMessage
            = ReplyFileMessage(achtp->OutputFileName, FileWriteFailure(achtp->OutputFileName));
        FinishRun(RunEndKind::TransferFailed);
        return;
    }
    ReportingLog debugLog([this](const std::string& text) { Debug(text); });
    CurrentText = ExtractTranslation(achtp->OutputFileName, StatusMessage, debugLog);
    if (CurrentText.empty()) {
        FinishRun(RunEndKind::ReplyUnusable);
        return;
    }
    ReportStep();
    CurrentStep += 1;
    if (CurrentStep == TotalSteps && !StartNextRound()) {
        FinishRun(RunEndKind::FinishedInReply);
        return;
    }
    // The pause keeps the load on the service low; the event loop goes on
    // meanwhile, so the window stays responsive and Abort ends the run.
    if (run.inputs.pauseBetweenCalls())
        pauseTimer->start();
    else
        DoNextStep();
}

void RunEngine::ReportStep()
{
    if (!OnStepDone)
        return;
    std::string target = Entry();
    std::string source;
    SplitFirst(target, source, "|", true);
    OnStepDone({ CurrentStep, Entry(), source, target, requestText, CurrentText,
        stepClock.elapsed(), round });
}

void RunEngine::achtpAnyError(QObject*)
{
    StatusMessage = TransferFailureMessage();
    FinishRun(RunEndKind::TransferFailed);
}

// OnAnyError with no event before it that names the failure comes from a
// reply file that could not be opened (its own event follows), or from a
// fault inside the transfer.
std::string RunEngine::TransferFailureMessage() const
{
    if (failedStatus == TooLargeStatus)
        return "Error: the text is too long for the translation service.";
    const std::string reason = failedStatus == 0 ? FileWriteFailure(achtp->OutputFileName) : "";
    return reason.empty() ? "Error." : ReplyFileMessage(achtp->OutputFileName, reason);
}

void RunEngine::achtpAborted(QObject*)
{
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
    CurrentStep = -1;
    const RunEnd end { kind, std::exchange(StatusMessage, {}), CurrentText, round, run.untilStable,
        stable, std::exchange(details, {}) };
    if (OnEnd)
        OnEnd(end);
}

void RunEngine::Debug(const std::string& text)
{
    if (OnDebugText)
        OnDebugText(text);
}
