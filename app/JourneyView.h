// The Journey tab: the survival chart above one row per step (its number,
// its languages and the text after it with the words it changed marked),
// filled as the run's steps come in.
#pragma once

#include "journey/Journey.h"

#include <QWidget>
#include <string>

class QTextBrowser;
class QTextTable;
class TJourneyChart;
struct StepReport;

class TJourneyView : public QWidget {
    Q_OBJECT

public:
    explicit TJourneyView(QWidget* parent = nullptr);

    // Empties the tab for a new run.
    void Start(const std::string& input, const std::string& homeCode, bool untilStable);
    void AddStep(const StepReport& report);
    // The run's end message, if any, goes below the rows.
    void Finish(const std::string& outcome);

    const Journey& Model() const { return journey; }

    TJourneyChart* Chart = nullptr;
    QTextBrowser* Rows = nullptr;

private:
    void StartTable();
    void AddRoundRow(int round);
    void AddStepRow(const JourneyStep& step);
    int AppendRow();
    void SetCell(int row, int column, const std::string& markup);

    Journey journey;
    QTextTable* table = nullptr;
};
