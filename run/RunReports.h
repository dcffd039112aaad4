// What the run engine tells its front ends as a run goes: each step, each
// output marker and the end with its reason. The window turns them into its
// status bar and memos, the command line into its output.
#pragma once

#include "run/PlanStep.h"

#include <cstdint>
#include <string>
#include <vector>

// What the output gets before each text after the first: a line feed, 48
// equals signs and a line feed.
extern const std::string OutputSeparator;

// The status bar's text when a run has ended: "Ready." or, with a message,
// "Ready.  " (two spaces) followed by it.
std::string ReadyText(const std::string& message);

// The status bar's text while a step's request is outstanding, for example
// "Translating 3 [en|fr] ...". The number is the entry's place in the plan,
// output markers included.
std::string TranslatingText(int planIndex, const std::string& entry);

struct StepStart {
    int planIndex = 0;
    std::string entry; // "source|target"
    int round = 1;
};

// A step whose reply gave a translation.
struct StepReport {
    int planIndex = 0;
    std::string entry;
    std::string sourceCode;
    std::string targetCode;
    std::string textBefore; // the text sent
    std::string textAfter; // the translation cut out of the reply
    std::int64_t milliseconds = 0; // from the request's start to its reply
    int round = 1;
    // The languages the service passed the text through on the way, and what
    // the Journey and the debug log add to the hop's name for them.
    std::vector<std::string> via;
    std::string routeText;
};

// An output marker: the text reached so far joins the output.
struct MarkerReport {
    int planIndex = 0;
    std::string text;
    int round = 1;
};

// How a run ended. Front ends decide from it what to show: the final text
// (ending in a reply), the output as the markers left it (ending at a
// marker), or the output as it stood (every other end).
enum class RunEndKind {
    FinishedInReply, // the plan's last reply arrived
    FinishedAtMarker, // the plan's last marker, or a marker after Abort
    ReplyUnusable, // a reply gave no text; the message says why
    TransferFailed, // the request component reported an error
    Aborted,
    TimedOut,
    NotStarted, // the component was still busy with an earlier transfer, or no step
    ServiceNotStarted, // the local service was started and did not come up
    UnexpectedReply, // a reply arrived while no run was active
};

struct RunEnd {
    RunEndKind kind = RunEndKind::FinishedInReply;
    // The message shown after "Ready.  ", empty for a plain end; runs until
    // stable end with "Stable after N rounds." or "Not stable after N rounds.".
    std::string message;
    std::string text; // the text the run reached
    int rounds = 0; // rounds begun
    bool untilStable = false;
    bool stable = false; // only meaningful when untilStable
    // What a front end without the debug log shows besides the message: the
    // command and output of a service that did not start.
    std::string details;
    // Where a run that failed or was aborted stopped: the plan index of the
    // entry under way or next (-1 when the run had not begun), that entry,
    // and the plan's length.
    int stoppedAt = -1;
    PlanStep stoppedEntry;
    int totalSteps = 0;
    // How many steps gave a translation, the text after the last of them,
    // and whether no output marker has shown that text since.
    int stepsDone = 0;
    std::string reached;
    bool reachedUnshown = false;

    // The line that says where the run stopped, for example "Stopped at step
    // 3 of 4 (English → German). The text reached before it:", followed by
    // that text when no output marker has shown it.
    std::string StoppedOutput() const;

    // The window's status bar text: ReadyText of the message.
    std::string StatusText() const { return ReadyText(message); }
    // Whether the final text is shown: the run ended in a reply, with a
    // text or with an empty one when the reply was unusable.
    bool EndedInReply() const;
    // Whether the run failed or was aborted after at least one step had
    // given a translation: the output then keeps what it shows and gets
    // StoppedOutput, whether or not the run ended in a reply.
    bool StoppedEarly() const;
    // Whether the run did not end as planned: an error, an abort or a reply
    // that could not be used.
    bool Failed() const;
};
