// Where the survival curve goes on a chart: the start at the left, the
// journey's last step at the right, no words at the bottom and all of them at
// the top. The Journey tab and the saved page draw the same picture from it.
#pragma once

#include <vector>

class Journey;

struct ChartArea {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

struct ChartPoint {
    double x = 0;
    double y = 0;
};

// The shares the chart draws a guide line at: none, half and all words.
inline constexpr double ChartGuideShares[] = { 0.0, 0.5, 1.0 };

double StepX(double step, const Journey& journey, const ChartArea& area);
double ShareY(double share, const ChartArea& area);

// The journey's survival points, in order, placed in area.
std::vector<ChartPoint> PlaceSurvival(const Journey& journey, const ChartArea& area);
