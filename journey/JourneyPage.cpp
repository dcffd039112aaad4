#include "journey/JourneyPage.h"

#include "journey/Journey.h"
#include "journey/JourneyMarkup.h"
#include "journey/SurvivalChart.h"
#include "run/LanguageTable.h"

#include <charconv>

namespace {

const int ChartWidth = 640;
const int ChartHeight = 150;
const ChartArea PlotArea { 44, 10, 580, 112 };

// The style sheet holds neither "<" nor "&", so the page reads the same as
// XML and as HTML.
const char* const Head = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE html>
<html xmlns="http://www.w3.org/1999/xhtml" lang="en">
<head>
<meta charset="UTF-8"/>
<title>Tornalo journey</title>
<style>
body { font-family: sans-serif; margin: 1.5em; color: #202020; }
table { border-collapse: collapse; width: 100%; }
th, td { border-bottom: 1px solid #d0d0d0; padding: 0.3em 0.5em; text-align: left; vertical-align: top; }
td.number { text-align: right; color: #606060; }
td.languages { white-space: nowrap; }
tr.round th { background: #eef1f8; }
.input { background: #fffbe0; padding: 0.5em; }
</style>
</head>
<body>
<h1>Tornalo journey</h1>
)";

// Written with a point whatever the user's locale, as SVG wants it.
std::string Number(double value)
{
    char text[32];
    const auto written
        = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
    return { text, written.ptr };
}

std::string Line(double x1, double y1, double x2, double y2, const char* style)
{
    return "<line x1=\"" + Number(x1) + "\" y1=\"" + Number(y1) + "\" x2=\"" + Number(x2)
        + "\" y2=\"" + Number(y2) + "\" " + style + "/>\n";
}

std::string GuideLines()
{
    std::string svg;
    for (const double share : ChartGuideShares) {
        const double y = ShareY(share, PlotArea);
        svg += Line(PlotArea.left, y, PlotArea.left + PlotArea.width, y, "stroke=\"#d0d0d0\"");
        svg += "<text x=\"" + Number(PlotArea.left - 6) + "\" y=\"" + Number(y + 4)
            + "\" text-anchor=\"end\" font-size=\"11\">" + EscapeMarkup(PercentText(share))
            + "</text>\n";
    }
    return svg;
}

std::string RoundLines(const Journey& journey)
{
    std::string svg;
    for (const double boundary : journey.RoundBoundaries()) {
        const double x = StepX(boundary, journey, PlotArea);
        svg += Line(x, PlotArea.top, x, PlotArea.top + PlotArea.height,
            "stroke=\"#8090c0\" stroke-dasharray=\"4 3\"");
    }
    return svg;
}

std::string Curve(const Journey& journey)
{
    const std::vector<SurvivalPoint> points = journey.Survival();
    const std::vector<ChartPoint> placed = PlaceSurvival(journey, PlotArea);
    std::string path;
    std::string dots;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        // Piece by piece: GCC 12 at -O3 rejects a literal joined to a
        // temporary as an overlapping copy.
        if (i > 0)
            path += ' ';
        path += Number(placed[i].x);
        path += ',';
        path += Number(placed[i].y);
        const std::string label = points[i].step == 0
            ? "Start"
            : "Step " + std::to_string(points[i].step) + ": " + PercentText(points[i].share);
        dots += "<circle cx=\"" + Number(placed[i].x) + "\" cy=\"" + Number(placed[i].y)
            + "\" r=\"3.5\" fill=\"#2f5fb3\"><title>" + EscapeMarkup(label) + "</title></circle>\n";
    }
    return "<polyline points=\"" + path
        + "\" fill=\"none\" stroke=\"#2f5fb3\" stroke-width=\"2\"/>\n" + dots;
}

std::string Chart(const Journey& journey)
{
    return "<p>Share of the input's words still there each time the text came home:</p>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\""
        + std::to_string(ChartWidth) + "\" height=\"" + std::to_string(ChartHeight)
        + "\" viewBox=\"0 0 " + std::to_string(ChartWidth) + " " + std::to_string(ChartHeight)
        + "\" font-family=\"sans-serif\">\n" + GuideLines() + RoundLines(journey) + Curve(journey)
        + "</svg>\n";
}

std::string LanguagesMarkup(const JourneyStep& step)
{
    const std::string survival = SurvivalText(step);
    return EscapeMarkup(LanguagesText(step))
        + (survival.empty() ? "" : "<br/><small>" + EscapeMarkup(survival) + "</small>");
}

std::string Row(const JourneyStep& step)
{
    std::string row;
    if (step.opensRound)
        row += "<tr class=\"round\"><th colspan=\"3\">" + RoundText(step.round) + "</th></tr>\n";
    return row + "<tr><td class=\"number\">" + std::to_string(step.number)
        + "</td><td class=\"languages\">" + LanguagesMarkup(step) + "</td><td>"
        + ChangesMarkup(step.changes) + "</td></tr>\n";
}

std::string Rows(const Journey& journey)
{
    std::string rows = "<table>\n<tr><th>Step</th><th>Languages</th><th>Text</th></tr>\n";
    for (const JourneyStep& step : journey.Steps())
        rows += Row(step);
    return rows + "</table>\n";
}

} // namespace

std::string JourneyPage(const Journey& journey)
{
    std::string page = Head;
    page += "<p>Home language: " + EscapeMarkup(LanguageNameOfCode(journey.HomeCode())) + "</p>\n";
    page += "<p class=\"input\">" + TextMarkup(journey.Input()) + "</p>\n";
    page += Chart(journey) + Rows(journey);
    if (!journey.Outcome().empty())
        page += "<p>" + EscapeMarkup(journey.Outcome()) + "</p>\n";
    return page + "</body>\n</html>\n";
}
