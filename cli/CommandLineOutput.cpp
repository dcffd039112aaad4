#include "cli/CommandLineOutput.h"

#include "platform/QtText.h"
#include "text/MemoLines.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Back to the start of the line, then everything to its end erased.
const char* const ReturnAndErase = "\r\x1b[K";

QString Json(const std::string& text)
{
    return platform::ToQString(text);
}

QJsonObject StepJson(const StepReport& step)
{
    QJsonArray via;
    for (const std::string& code : step.via)
        via.append(Json(code));
    return { { QStringLiteral("from"), Json(step.sourceCode) },
        { QStringLiteral("to"), Json(step.targetCode) }, { QStringLiteral("via"), via },
        { QStringLiteral("text"), Json(step.textAfter) },
        { QStringLiteral("milliseconds"), static_cast<qint64>(step.milliseconds) },
        { QStringLiteral("round"), step.round } };
}

// A run that stopped early cleared its current text; what it reached is the
// text it has to give, with line breaks as the steps' texts have them.
std::string OutcomeText(const RunEnd& end)
{
    std::string text = end.Failed() ? end.reached : end.text;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    return text;
}

QJsonObject OutcomeJson(const RunEnd& end, bool interrupted)
{
    QJsonObject outcome { { QStringLiteral("end"), Json(EndName(end.kind)) },
        { QStringLiteral("status"), Json(end.StatusText()) },
        { QStringLiteral("message"), Json(end.message) },
        { QStringLiteral("failed"), end.Failed() }, { QStringLiteral("interrupted"), interrupted },
        { QStringLiteral("rounds"), end.rounds },
        { QStringLiteral("text"), Json(OutcomeText(end)) } };
    if (end.untilStable)
        outcome.insert(QStringLiteral("stable"), end.stable);
    return outcome;
}

} // namespace

std::string MemoText(const std::string& text)
{
    return text::JoinMemoLines(text::SplitMemoText(text));
}

OutputText::OutputText(std::string input, bool showOriginal)
    : input(std::move(input)), showOriginal(showOriginal)
{
    if (showOriginal)
        memo = MemoText(this->input);
}

void OutputText::AddMarkerText(const std::string& text)
{
    if (!memo.empty())
        Append(OutputSeparator);
    Append(text);
}

void OutputText::ShowFinal(const std::string& text)
{
    memo = MemoText(showOriginal ? input + OutputSeparator + text : text);
}

void OutputText::Append(const std::string& text)
{
    memo = MemoText(memo + text);
}

std::string OutputText::Lines() const
{
    std::string lines;
    for (const std::string& line : text::SplitMemoText(memo))
        lines += line + "\n";
    return lines;
}

std::string EndName(RunEndKind kind)
{
    switch (kind) {
    case RunEndKind::FinishedInReply:
        return "finished";
    case RunEndKind::FinishedAtMarker:
        return "finished-at-marker";
    case RunEndKind::ReplyUnusable:
        return "reply-unusable";
    case RunEndKind::TransferFailed:
        return "transfer-failed";
    case RunEndKind::Aborted:
        return "aborted";
    case RunEndKind::TimedOut:
        return "timed-out";
    case RunEndKind::NotStarted:
        return "not-started";
    case RunEndKind::ServiceNotStarted:
        return "service-not-started";
    case RunEndKind::UnexpectedReply:
        return "unexpected-reply";
    }
    return "unknown";
}

std::string RunJson(const std::string& route, const std::vector<StepReport>& steps,
    const RunEnd& end, bool interrupted)
{
    QJsonArray stepArray;
    for (const StepReport& step : steps)
        stepArray.append(StepJson(step));
    const QJsonObject run { { QStringLiteral("route"), Json(route) },
        { QStringLiteral("steps"), stepArray },
        { QStringLiteral("outcome"), OutcomeJson(end, interrupted) } };
    return QJsonDocument(run).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

void ProgressLine::Show(const std::string& text)
{
    if (!terminal)
        return;
    stream << ReturnAndErase << text << std::flush;
    shown = true;
}

void ProgressLine::Clear()
{
    if (shown)
        stream << ReturnAndErase << std::flush;
    shown = false;
}
