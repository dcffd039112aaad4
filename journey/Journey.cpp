#include "journey/Journey.h"

#include "run/HopDetails.h"
#include "run/LanguageTable.h"
#include "run/RunReports.h"

#include <cmath>

void Journey::Start(std::string input, std::string homeCode, bool untilStable)
{
    this->input = std::move(input);
    this->homeCode = std::move(homeCode);
    this->untilStable = untilStable;
    outcome.clear();
    steps.clear();
    lastTextIn.clear();
}

const JourneyStep& Journey::Add(const StepReport& report)
{
    JourneyStep step;
    step.number = static_cast<int>(steps.size()) + 1;
    step.round = report.round;
    step.opensRound = untilStable && (steps.empty() || steps.back().round != report.round);
    step.sourceCode = report.sourceCode;
    step.targetCode = report.targetCode;
    step.routeText = report.routeText;
    step.text = report.textAfter;
    step.changes = ChangesInItsLanguage(report);
    step.returnsHome = report.targetCode == homeCode;
    if (step.returnsHome)
        step.survival = WordSurvival(input, report.textAfter);
    steps.push_back(std::move(step));
    return steps.back();
}

// Every word differs between two languages, so a step is compared with the
// text its target language last had: what the step sent was in the source
// language (after a reset, the input again), and what came back is the
// target language's text from now on.
std::vector<DiffPiece> Journey::ChangesInItsLanguage(const StepReport& report)
{
    lastTextIn[report.sourceCode] = report.textBefore;
    const auto earlier = lastTextIn.find(report.targetCode);
    const std::string& base = earlier == lastTextIn.end() ? report.textAfter : earlier->second;
    std::vector<DiffPiece> changes = DiffWords(base, report.textAfter);
    lastTextIn[report.targetCode] = report.textAfter;
    return changes;
}

void Journey::Finish(std::string outcome)
{
    this->outcome = std::move(outcome);
}

std::vector<SurvivalPoint> Journey::Survival() const
{
    std::vector<SurvivalPoint> points { { 0, 1.0 } };
    for (const JourneyStep& step : steps)
        if (step.returnsHome)
            points.push_back({ step.number, step.survival });
    return points;
}

std::vector<double> Journey::RoundBoundaries() const
{
    std::vector<double> boundaries;
    for (const JourneyStep& step : steps)
        if (step.opensRound && step.number > 1)
            boundaries.push_back(step.number - 0.5);
    return boundaries;
}

std::string LanguagesText(const JourneyStep& step)
{
    return HopName(step.sourceCode, step.targetCode) + step.routeText;
}

std::string PercentText(double share)
{
    return std::to_string(static_cast<int>(std::lround(share * 100))) + " %";
}

std::string SurvivalText(const JourneyStep& step)
{
    return step.returnsHome ? PercentText(step.survival) + " of the words kept" : std::string();
}
