#include "app/JourneyView.h"

#include "app/JourneyChart.h"
#include "journey/JourneyMarkup.h"
#include "platform/Text.h"
#include "run/RunReports.h"

#include <QScrollBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextTable>
#include <QVBoxLayout>

namespace {

const char* const Headings[] = { "Step", "Languages", "Text" };

QTextTableFormat TableFormat()
{
    QTextTableFormat format;
    format.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    format.setCellPadding(3);
    format.setCellSpacing(0);
    format.setHeaderRowCount(1);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setColumnWidthConstraints(
        { QTextLength(QTextLength::VariableLength, 0), QTextLength(QTextLength::VariableLength, 0),
            QTextLength(QTextLength::PercentageLength, 70) });
    return format;
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
    StartTable();
}

void TJourneyView::Start(const std::string& input, const std::string& homeCode, bool untilStable)
{
    journey.Start(input, homeCode, untilStable);
    Rows->clear();
    StartTable();
    Chart->update();
}

void TJourneyView::StartTable()
{
    QTextCursor cursor(Rows->document());
    table = cursor.insertTable(1, 3, TableFormat());
    for (int column = 0; column < 3; ++column)
        SetCell(0, column, std::string("<b>") + Headings[column] + "</b>");
}

// Rows that come in while the user reads further up leave the view alone;
// at the bottom, the view follows them.
void TJourneyView::AddStep(const StepReport& report)
{
    QScrollBar* scroll = Rows->verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();
    const JourneyStep& step = journey.Add(report);
    if (step.opensRound)
        AddRoundRow(step.round);
    AddStepRow(step);
    Chart->update();
    if (following)
        scroll->setValue(scroll->maximum());
}

void TJourneyView::AddRoundRow(int round)
{
    const int row = AppendRow();
    table->mergeCells(row, 0, 1, 3);
    SetCell(row, 0, "<b>" + RoundText(round) + "</b>");
}

void TJourneyView::AddStepRow(const JourneyStep& step)
{
    const int row = AppendRow();
    SetCell(row, 0, std::to_string(step.number));
    SetCell(row, 1, LanguagesMarkup(step));
    SetCell(row, 2, ChangesMarkup(step.changes));
}

int TJourneyView::AppendRow()
{
    table->appendRows(1);
    return table->rows() - 1;
}

void TJourneyView::SetCell(int row, int column, const std::string& markup)
{
    QTextCursor cursor = table->cellAt(row, column).firstCursorPosition();
    cursor.insertHtml(platform::ToQString(markup));
}

void TJourneyView::Finish(const std::string& outcome)
{
    journey.Finish(outcome);
    if (outcome.empty())
        return;
    QTextCursor cursor(Rows->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertBlock();
    cursor.insertHtml(platform::ToQString(EscapeMarkup(outcome)));
}
