// A plan's entries as the status bar writes them ("en|fr", "-"), so that
// tests can state whole plans as lists of texts.
#pragma once

#include "run/PlanStep.h"

#include <string>
#include <vector>

inline std::vector<std::string> PlanTexts(const std::vector<PlanStep>& plan)
{
    std::vector<std::string> texts;
    for (const PlanStep& step : plan)
        texts.push_back(step.Text());
    return texts;
}
