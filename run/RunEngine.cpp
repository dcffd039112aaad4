#include "run/RunEngine.h"

#include "platform/Text.h"
#include "run/ServiceAddress.h"
#include "run/ServiceStarter.h"
#include "run/TranslationPlan.h"
#include "run/TranslationReply.h"
#include "run/TranslationRequest.h"
#include "transfer/acHTTP.h"

#include <QTimer>

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
    achtp->OnDone = [this](QObject* Sender, const auto&...) { achtpDone(Sender); };
    achtp->OnAnyError = [this](QObject* Sender) { achtpAnyError(Sender); };
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
    // Abort pressed while a just-started service comes up ends the run as the
    // component would have, since no transfer is there to abort yet.
    const auto firstStep = [this, thisRun] {
        if (thisRun == runNumber && Active())
            AbortRequested ? achtpAborted(achtp) : DoNextStep();
    };
    if (!starter)
        firstStep();
    else if (starter->Prepare(run.url, firstStep) && OnServiceStarting)
        OnServiceStarting();
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
    if (!achtp->Read(false)) {
        StatusMessage = "Error: could not reach translation url.";
        FinishRun(RunEndKind::NotStarted);
    }
}

void RunEngine::achtpDone(QObject*)
{
    if (!Active()) {
        StatusMessage = "Error: Unexpected reply after abort.";
        FinishRun(RunEndKind::UnexpectedReply);
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
    StatusMessage = "Error.";
    FinishRun(RunEndKind::TransferFailed);
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
        stable };
    if (OnEnd)
        OnEnd(end);
}

void RunEngine::Debug(const std::string& text)
{
    if (OnDebugText)
        OnDebugText(text);
}
