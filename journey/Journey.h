// The journey of one run: each step's languages and text, what the step
// changed, and how much of the input is left each time the text comes home.
// The window's Journey tab shows it as the run goes; a saved page keeps it.
#pragma once

#include "journey/WordDiff.h"

#include <map>
#include <string>
#include <vector>

struct StepReport;

struct JourneyStep {
    int number = 0; // 1 for the run's first step, counting on through every round
    int round = 1;
    bool opensRound = false; // the first step of a round, in a run until stable
    std::string sourceCode;
    std::string targetCode;
    // How the service took the step, " (via Croatian, Macedonian)"; empty
    // for a direct hop.
    std::string routeText;
    std::string text; // the text after the step
    // How text differs from the text the step's language last had along the
    // way: for a step home, the text the trip out started from. A language's
    // first text has nothing to differ from, and all its words stand as Same.
    std::vector<DiffPiece> changes;
    bool returnsHome = false;
    double survival = 0; // the input's words in text; set when the step returns home
};

// One point of the survival curve: after step (0 for the start), share of
// the input's words were still there.
struct SurvivalPoint {
    int step = 0;
    double share = 1;
    bool operator==(const SurvivalPoint&) const = default;
};

class Journey {
public:
    // Begins a new journey, forgetting the last one.
    void Start(std::string input, std::string homeCode, bool untilStable);
    const JourneyStep& Add(const StepReport& report);
    // The run's end message ("Stable after 3 rounds.", "Aborted."), if any.
    void Finish(std::string outcome);

    const std::string& Input() const { return input; }
    const std::string& HomeCode() const { return homeCode; }
    bool UntilStable() const { return untilStable; }
    const std::string& Outcome() const { return outcome; }
    const std::vector<JourneyStep>& Steps() const { return steps; }
    bool Empty() const { return steps.empty(); }

    // The start, with every word, then each step that came home.
    std::vector<SurvivalPoint> Survival() const;
    // Halfway between each round's last step and the next round's first.
    std::vector<double> RoundBoundaries() const;

private:
    std::vector<DiffPiece> ChangesInItsLanguage(const StepReport& report);

    std::string input;
    std::string homeCode;
    bool untilStable = false;
    std::string outcome;
    std::vector<JourneyStep> steps;
    std::map<std::string, std::string> lastTextIn; // by language code
};

// "English → French": the step's languages by their displayed names, and
// the way the service took, " (via Spanish)".
std::string LanguagesText(const JourneyStep& step);

// A share as the journey shows it, rounded to a whole percent: "75 %".
std::string PercentText(double share);

// For a step that came home, "75 % of the words kept"; empty for the others.
std::string SurvivalText(const JourneyStep& step);
