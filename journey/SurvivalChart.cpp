#include "journey/SurvivalChart.h"

#include "journey/Journey.h"

#include <algorithm>

double StepX(double step, const Journey& journey, const ChartArea& area)
{
    const auto lastStep = static_cast<double>(std::max<std::size_t>(journey.Steps().size(), 1));
    return area.left + area.width * step / lastStep;
}

double ShareY(double share, const ChartArea& area)
{
    return area.top + area.height * (1.0 - std::clamp(share, 0.0, 1.0));
}

std::vector<ChartPoint> PlaceSurvival(const Journey& journey, const ChartArea& area)
{
    std::vector<ChartPoint> placed;
    for (const SurvivalPoint& point : journey.Survival())
        placed.push_back({ StepX(point.step, journey, area), ShareY(point.share, area) });
    return placed;
}
