// The run of a translation plan, without widgets: the input text goes
// through the plan one request to the translation service per step, each
// started from the reply to the one before, with output markers, the pause
// between calls, abort, the wait time-out and every end condition. Front
// ends hand it the plan and turn its reports into what they show.
#pragma once

#include "run/RunReports.h"

#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QTimer;
struct ServiceReadiness;
class ServicePreparation;
class ServiceStarter;
class TacHTTP;
class QIODevice;
using TStream = QIODevice;

// What a run reads while it goes rather than once at its start: the window's
// controls may change during a run, and the run sees the change where it
// reads them.
struct RunInputs {
    std::function<std::string()> inputText; // taken again at each reset
    std::function<bool()> resetAfterEach; // read at each output marker
    std::function<bool()> foreignChaining; // read at each output marker
    std::function<bool()> pauseBetweenCalls; // read after each reply
};

// Inputs that stay as given for the whole run.
RunInputs FixedRunInputs(std::string text, bool resetAfterEach, bool foreignChaining, bool pause);

inline constexpr int DefaultMaxRounds = 20;

// Where the program in programDirectory keeps the user's copy of each reply
// page: an installed copy in the user's cache folder, so that the folder it
// is started from (the home folder, "/") is left alone and need not be
// writable; a portable copy in the current folder, as designed (empty).
std::string ReplyFolderFor(const std::string& programDirectory);

struct RunRequest {
    std::string text; // the input text
    std::vector<PlanStep> plan; // steps and output markers
    std::string url; // the translation service's address
    RunInputs inputs;
    // After the plan's last step the plan runs again, from the text reached,
    // until a round ends with the text it started with or maxRounds rounds
    // have run.
    bool untilStable = false;
    int maxRounds = DefaultMaxRounds;
    // Milliseconds a request may go without a byte from the service; 0
    // waits as long as the service keeps the connection.
    std::uint32_t receiveTimeout = 0;
};

class RunEngine : public QObject {
public:
    explicit RunEngine(QObject* parent = nullptr);
    ~RunEngine() override;

    // The request component every step goes through, set up with the
    // program's request settings.
    TacHTTP* Component() const { return achtp; }

    // Where the user's copy of each reply page is kept: a folder ending in
    // "/", made when missing, or empty for the current folder.
    void SetReplyFolder(std::string folder) { replyFolder = std::move(folder); }
    // Header lines every request to the user's own service carries (the
    // window says it is a window).
    void SetOwnServiceHeaders(std::vector<std::string> lines)
    {
        ownServiceHeaders = std::move(lines);
    }

    // Starts a run. With a starter, the local service is brought up first
    // when the address needs it, and asked to prepare the plan's steps
    // before the first of them. The plan must hold at least one step.
    void Start(RunRequest request, ServiceStarter* starter = nullptr);

    // Asks the outstanding request to stop; the run ends when the component
    // confirms. A reply that comes in anyway lets the run go on to the next
    // output marker (or the end of a round), where it stops. During the
    // pause between calls the run ends at once, after the output marker
    // that follows, if one does.
    void Abort();

    bool Active() const { return CurrentStep >= 0; }
    // The plan index being processed; -1 when no run is active.
    int Step() const { return CurrentStep; }

    std::function<void()> OnServiceStarting;
    std::function<void(const StepStart&)> OnStepStarting;
    std::function<void(const StepReport&)> OnStepDone;
    std::function<void(const MarkerReport&)> OnOutputMarker;
    // The request and reply blocks of the debug log.
    std::function<void(const std::string&)> OnDebugText;
    // Also reported for a component event that arrives with no run active.
    std::function<void(const RunEnd&)> OnEnd;

private:
    void achtpDone(QObject* Sender, TStream* Stream);
    void achtpAnyError(QObject* Sender);
    void achtpAborted(QObject* Sender);
    void achtpWaitTimeoutExpired(QObject* Sender, bool& TerminateThread);

    bool IsCurrent(unsigned run) const { return run == runNumber && Active(); }
    void FirstStep(unsigned thisRun, const ServiceReadiness& readiness);
    void PrepareSteps(unsigned thisRun, const std::string& serviceUrl);
    void ServiceDidNotStart(const std::string& report);
    std::string TransferFailureMessage() const;
    bool TakeReply(const std::string& page);
    void DoNextStep();
    bool ShowOutputAtMarker();
    bool StartNextRound();
    std::string ResetText() const;
    void StartRequest(const PlanStep& step);
    void ReportStep(const std::string& page);
    void FinishRun(RunEndKind kind);
    void Debug(const std::string& text);
    const PlanStep& Entry() const;
    // The entry being processed; an output marker when no run is active.
    PlanStep CurrentEntry() const;

    TacHTTP* achtp;
    std::string replyFolder;
    std::vector<std::string> ownServiceHeaders;
    // Whether the run's requests go elsewhere than the address it was given.
    bool urlResolved = false;
    QTimer* pauseTimer;
    // Once a reply has begun, it must come whole within the receive
    // time-out: a service that keeps sending a byte now and then is never
    // silent long enough for the time-out itself.
    QTimer* replyTimer;
    ServicePreparation* preparation;
    RunRequest run;
    unsigned runNumber = 0;
    std::string CurrentText;
    std::string StatusMessage;
    int CurrentStep = -1;
    int TotalSteps = 0;
    bool AbortRequested = false;
    int round = 0;
    std::string roundStartText;
    bool stable = false;
    std::string requestText;
    // What the component's events told of a failed request: the status of a
    // reply that was not a success (0 when none came), a body cut short, a
    // reply stopped because it did not come whole in time.
    int failedStatus = 0;
    std::string failedReason; // the reason a refusing service gave in its body
    bool cutOff = false;
    bool tooSlow = false;
    std::string details;
    int stepsDone = 0;
    std::string reached;
    bool reachedUnshown = false;
    QElapsedTimer stepClock;
};
