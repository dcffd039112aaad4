#include "app/JourneyView.h"

#include "app/JourneyChart.h"
#include "journey/JourneyMarkup.h"
#include "platform/QtText.h"
#include "run/RunReports.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const int RowGap = 6;
const int TextIndent = 24;
const QColor RoundBackground(0xee, 0xf1, 0xf8);
// A step whose text is longer is shown in slices.
constexpr std::size_t LongStepBytes = 8 * 1024;
// How long one slice may hold the window, in milliseconds.
constexpr qint64 SliceMilliseconds = 8;
const std::string LineBreak = "<br/>";

// The markup's lines: its line breaks stand between pieces, never inside one.
std::vector<std::string> MarkupLines(const std::string& markup)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at; (at = markup.find(LineBreak, from)) != std::string::npos;) {
        lines.push_back(markup.substr(from, at - from));
        from = at + LineBreak.size();
    }
    lines.push_back(markup.substr(from));
    return lines;
}

QTextBlockFormat RoundFormat(int round)
{
    QTextBlockFormat format;
    format.setTopMargin(RowGap);
    format.setBackground(RoundBackground);
    format.setProperty(TJourneyView::RoundProperty, round);
    return format;
}

QTextBlockFormat HeadingFormat(int step)
{
    QTextBlockFormat format;
    format.setTopMargin(RowGap);
    format.setProperty(TJourneyView::StepProperty, step);
    return format;
}

QTextBlockFormat TextFormat()
{
    QTextBlockFormat format;
    format.setLeftMargin(TextIndent);
    return format;
}

// "3  English → French", and for a step home, the share of words it kept.
std::string HeadingMarkup(const JourneyStep& step)
{
    const std::string survival = SurvivalText(step);
    return "<b>" + std::to_string(step.number) + "</b>&#160;&#160;"
        + EscapeMarkup(LanguagesText(step))
        + (survival.empty() ? ""
                            : "&#160;&#160;<span style=\"color:#606060\">" + EscapeMarkup(survival)
                    + "</span>");
}

} // namespace

TJourneyView::TJourneyView(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Chart = new TJourneyChart(journey, this);
    Chart->setObjectName(QStringLiteral("JourneyChart"));
    layout->addWidget(Chart);
    Rows = new QTextBrowser(this);
    Rows->setObjectName(QStringLiteral("JourneyRows"));
    Rows->setOpenLinks(false);
    layout->addWidget(Rows, 1);
    slices = new QTimer(this);
    slices->setInterval(0);
    connect(slices, &QTimer::timeout, this, [this] { ShowSlice(); });
}

void TJourneyView::Start(const std::string& input, const std::string& homeCode, bool untilStable)
{
    waiting.clear();
    lines.clear();
    nextLine = 0;
    slices->stop();
    runEnded = false;
    journey.Start(input, homeCode, untilStable);
    Rows->clear();
    Chart->update();
}

void TJourneyView::AddStep(const StepReport& report)
{
    if (!Busy() && report.textAfter.size() <= LongStepBytes) {
        ShowStep(report);
        return;
    }
    waiting.push_back({ report, false, {} });
    if (isVisible() || runEnded)
        slices->start();
}

void TJourneyView::Finish(const std::string& outcome)
{
    runEnded = true;
    if (!Busy()) {
        ShowOutcome(outcome);
        return;
    }
    waiting.push_back({ {}, true, outcome });
    slices->start();
}

const Journey& TJourneyView::Model()
{
    Drain();
    return journey;
}

void TJourneyView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (Busy())
        slices->start();
}

bool TJourneyView::Busy() const
{
    return !waiting.empty() || nextLine < lines.size();
}

void TJourneyView::ShowStep(const StepReport& report)
{
    const JourneyStep& step = journey.Add(report);
    if (step.opensRound)
        AddBlock(RoundFormat(step.round), "<b>" + RoundText(step.round) + "</b>");
    AddBlock(HeadingFormat(step.number), HeadingMarkup(step));
    const std::string markup = ChangesMarkup(step.changes);
    if (report.textAfter.size() <= LongStepBytes) {
        AddBlock(TextFormat(), markup);
    } else {
        lines = MarkupLines(markup);
        AddBlock(TextFormat(), lines.front());
        nextLine = 1;
    }
    Chart->update();
}

void TJourneyView::ShowOutcome(const std::string& outcome)
{
    journey.Finish(outcome);
    if (!outcome.empty()) {
        QTextBlockFormat format;
        format.setTopMargin(RowGap);
        AddBlock(format, EscapeMarkup(outcome));
    }
}

// Until the run has ended, waiting steps are shown only while the tab is.
void TJourneyView::ShowSlice()
{
    if (!isVisible() && !runEnded) {
        slices->stop();
        return;
    }
    QElapsedTimer slice;
    slice.start();
    while (Busy() && slice.elapsed() < SliceMilliseconds)
        ShowNextPiece();
    if (!Busy())
        slices->stop();
}

// A piece is a few lines of the step being shown, or the next waiting step
// or end.
void TJourneyView::ShowNextPiece()
{
    if (nextLine < lines.size()) {
        std::string markup;
        for (int count = 0; count < 20 && nextLine < lines.size(); ++count)
            markup += LineBreak + lines[nextLine++];
        AddToLastBlock(markup);
        return;
    }
    lines.clear();
    nextLine = 0;
    Waiting next = std::move(waiting.front());
    waiting.pop_front();
    if (next.ends)
        ShowOutcome(next.outcome);
    else
        ShowStep(next.report);
}

void TJourneyView::Drain()
{
    while (Busy())
        ShowNextPiece();
    slices->stop();
}

// Rows are blocks added at the end, which the text layout takes in without
// laying out the rows before them again. The format is set after the markup
// goes in, since markup put into an empty document brings a block format of
// its own. Blocks that come in while the user reads further up leave the
// view alone; at the bottom, the view follows them.
void TJourneyView::AddToLastBlock(const std::string& markup)
{
    QScrollBar* scroll = Rows->verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();
    QTextCursor cursor(Rows->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertHtml(platform::ToQString(markup));
    if (following)
        scroll->setValue(scroll->maximum());
}

void TJourneyView::AddBlock(const QTextBlockFormat& format, const std::string& markup)
{
    QScrollBar* scroll = Rows->verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();
    QTextCursor cursor(Rows->document());
    cursor.movePosition(QTextCursor::End);
    if (!Rows->document()->isEmpty())
        cursor.insertBlock(format, QTextCharFormat());
    cursor.insertHtml(platform::ToQString(markup));
    cursor.setBlockFormat(format);
    if (following)
        scroll->setValue(scroll->maximum());
}
