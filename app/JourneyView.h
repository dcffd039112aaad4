// The Journey tab: the survival chart above one row per step (its number,
// its languages and the text after it with the words it changed marked),
// filled as the run's steps come in.
#pragma once

#include "journey/Journey.h"

#include "run/RunReports.h"

#include <QTextFormat>
#include <QWidget>
#include <deque>
#include <string>
#include <vector>

class QTextBrowser;
class QTextBlockFormat;
class QTimer;
class TJourneyChart;

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
    // A short step is compared and shown at once. A long one would hold the
    // window for a noticeable time: it waits until the tab is shown or the
    // run has ended, so that the run goes on at full speed, and is then
    // compared and shown a slice at a time between the window's events.
    void AddStep(const StepReport& report);
    // The run's end message, if any, goes below the rows.
    void Finish(const std::string& outcome);

    // The journey with every step that came in, those still waiting to be
    // shown included.
    const Journey& Model();

    TJourneyChart* Chart = nullptr;
    QTextBrowser* Rows = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Waiting {
        StepReport report;
        bool ends = false; // the run's end, with its message
        std::string outcome;
    };

    void ShowStep(const StepReport& report);
    void ShowOutcome(const std::string& outcome);
    void AddBlock(const QTextBlockFormat& format, const std::string& markup);
    void AddToLastBlock(const std::string& markup);
    bool Busy() const;
    void ShowSlice();
    void ShowNextPiece();
    void Drain();

    Journey journey;
    std::deque<Waiting> waiting;
    // The lines of the step being shown that are still to go in.
    std::vector<std::string> lines;
    std::size_t nextLine = 0;
    bool runEnded = true;
    QTimer* slices = nullptr;
};
