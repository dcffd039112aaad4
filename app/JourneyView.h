// The Journey tab: the survival chart above one row per step (its number,
// its languages and the text after it with the words it changed marked),
// filled as the run's steps come in.
#pragma once

#include "journey/Journey.h"

#include <QTextFormat>
#include <QWidget>
#include <string>

class QTextBrowser;
class QTextBlockFormat;
class TJourneyChart;
struct StepReport;

class TJourneyView : public QWidget {
    Q_OBJECT

public:
    // Each row is a heading block, which carries the step's number under
    // StepProperty, and the step's text below it; a round's heading block
    // carries the round's number under RoundProperty.
    static constexpr int StepProperty = QTextFormat::UserProperty + 1;
    static constexpr int RoundProperty = QTextFormat::UserProperty + 2;

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
    void AddBlock(const QTextBlockFormat& format, const std::string& markup);

    Journey journey;
};
