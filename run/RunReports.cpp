#include "run/RunReports.h"

#include "run/HopDetails.h"

const std::string OutputSeparator = "\n" + std::string(48, '=') + "\n";

std::string TranslatingText(int planIndex, const std::string& entry)
{
    return "Translating " + std::to_string(planIndex + 1) + " [" + entry + "] ...";
}

std::string ReadyText(const std::string& message)
{
    return message.empty() ? "Ready." : "Ready.  " + message;
}

bool RunEnd::EndedInReply() const
{
    return kind == RunEndKind::FinishedInReply || kind == RunEndKind::ReplyUnusable;
}

bool RunEnd::StoppedEarly() const
{
    const bool stoppedEarly = kind == RunEndKind::ReplyUnusable
        || kind == RunEndKind::TransferFailed || kind == RunEndKind::Aborted
        || kind == RunEndKind::TimedOut;
    return stoppedEarly && stoppedAt >= 0 && stepsDone > 0;
}

std::string RunEnd::StoppedOutput() const
{
    std::string line = kind == RunEndKind::Aborted ? "Aborted" : "Stopped";
    line += " at step " + std::to_string(stoppedAt + 1) + " of " + std::to_string(totalSteps);
    if (untilStable)
        line += " in round " + std::to_string(rounds);
    line += " (" + HopName(stoppedEntry.source, stoppedEntry.target) + ").";
    return reachedUnshown ? line + " The text reached before it:\n" + reached : line;
}

bool RunEnd::Failed() const
{
    return kind != RunEndKind::FinishedInReply && kind != RunEndKind::FinishedAtMarker;
}
