#include "app/JourneyView.h"

#include "app/JourneyChart.h"
#include "journey/JourneyMarkup.h"
#include "platform/Text.h"
#include "run/RunReports.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

const int RowGap = 6;
const int TextIndent = 24;
const QColor RoundBackground(0xee, 0xf1, 0xf8);

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
}

void TJourneyView::Start(const std::string& input, const std::string& homeCode, bool untilStable)
{
    journey.Start(input, homeCode, untilStable);
    Rows->clear();
    Chart->update();
}

void TJourneyView::AddStep(const StepReport& report)
{
    const JourneyStep& step = journey.Add(report);
    if (step.opensRound)
        AddBlock(RoundFormat(step.round), "<b>" + RoundText(step.round) + "</b>");
    AddBlock(HeadingFormat(step.number), HeadingMarkup(step));
    AddBlock(TextFormat(), ChangesMarkup(step.changes));
    Chart->update();
}

void TJourneyView::Finish(const std::string& outcome)
{
    journey.Finish(outcome);
    if (!outcome.empty()) {
        QTextBlockFormat format;
        format.setTopMargin(RowGap);
        AddBlock(format, EscapeMarkup(outcome));
    }
}

// Rows are blocks added at the end, which the text layout takes in without
// laying out the rows before them again. The format is set after the markup
// goes in, since markup put into an empty document brings a block format of
// its own. Blocks that come in while the user reads further up leave the
// view alone; at the bottom, the view follows them.
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
