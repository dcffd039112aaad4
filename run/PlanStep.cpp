#include "run/PlanStep.h"

std::vector<std::string> PlanTexts(const std::vector<PlanStep>& plan)
{
    std::vector<std::string> texts;
    texts.reserve(plan.size());
    for (const PlanStep& step : plan)
        texts.push_back(step.Text());
    return texts;
}
