#include "run/RunReports.h"

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

bool RunEnd::Failed() const
{
    return kind != RunEndKind::FinishedInReply && kind != RunEndKind::FinishedAtMarker;
}
