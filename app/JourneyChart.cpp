#include "app/JourneyChart.h"

#include "journey/Journey.h"
#include "platform/QtText.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor CurveColour(0x2f, 0x5f, 0xb3);
const QColor GuideColour(0xd0, 0xd0, 0xd0);
const QColor RoundColour(0x80, 0x90, 0xc0);
const int TextLines = 5; // the chart's height in lines of its font

QPointF At(const ChartPoint& point)
{
    return { point.x, point.y };
}

} // namespace

TJourneyChart::TJourneyChart(const Journey& journey, QWidget* parent)
    : QWidget(parent), journey(journey)
{
    setToolTip(QStringLiteral("Share of the input's words still there each time the text came "
                              "home, from all of them at the start."));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize TJourneyChart::sizeHint() const
{
    return { 200, fontMetrics().height() * TextLines };
}

QSize TJourneyChart::minimumSizeHint() const
{
    return sizeHint();
}

// Room on the left for the percentages, half a line above and below for the
// top and bottom labels, and for the dots at the ends.
ChartArea TJourneyChart::PlotArea() const
{
    const QFontMetrics metrics = fontMetrics();
    const double left = metrics.horizontalAdvance(QStringLiteral("100 %")) + 10.0;
    const double margin = metrics.height() / 2.0 + 1;
    return { left, margin, width() - left - 8.0, height() - 2 * margin };
}

std::vector<ChartPoint> TJourneyChart::PlacedPoints() const
{
    return PlaceSurvival(journey, PlotArea());
}

void TJourneyChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setRenderHint(QPainter::Antialiasing);
    const ChartArea area = PlotArea();
    DrawGuides(painter, area);
    DrawRounds(painter, area);
    DrawCurve(painter, area);
}

void TJourneyChart::DrawGuides(QPainter& painter, const ChartArea& area) const
{
    const QFontMetrics metrics = fontMetrics();
    for (const double share : ChartGuideShares) {
        const double y = ShareY(share, area);
        painter.setPen(GuideColour);
        painter.drawLine(QPointF(area.left, y), QPointF(area.left + area.width, y));
        painter.setPen(palette().color(QPalette::Text));
        const QString label = platform::ToQString(PercentText(share));
        painter.drawText(QPointF(area.left - 6 - metrics.horizontalAdvance(label),
                             y + metrics.ascent() / 2.0 - 1),
            label);
    }
}

void TJourneyChart::DrawRounds(QPainter& painter, const ChartArea& area) const
{
    painter.setPen(QPen(RoundColour, 1, Qt::DashLine));
    for (const double boundary : journey.RoundBoundaries()) {
        const double x = StepX(boundary, journey, area);
        painter.drawLine(QPointF(x, area.top), QPointF(x, area.top + area.height));
    }
}

void TJourneyChart::DrawCurve(QPainter& painter, const ChartArea& area) const
{
    const std::vector<ChartPoint> points = PlaceSurvival(journey, area);
    QPainterPath curve(At(points.front()));
    for (const ChartPoint& point : points)
        curve.lineTo(At(point));
    painter.setPen(QPen(CurveColour, 2));
    painter.drawPath(curve);
    painter.setPen(Qt::NoPen);
    painter.setBrush(CurveColour);
    for (const ChartPoint& point : points)
        painter.drawEllipse(At(point), 3.5, 3.5);
}
