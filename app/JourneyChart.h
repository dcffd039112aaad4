// The survival curve above the Journey tab's rows: for each time the text
// came home, the share of the input's words still there, from all of them at
// the start; dashed lines mark where rounds meet.
#pragma once

#include "journey/SurvivalChart.h"

#include <QWidget>

class Journey;

class TJourneyChart : public QWidget {
    Q_OBJECT

public:
    TJourneyChart(const Journey& journey, QWidget* parent = nullptr);

    // Where the curve's points lie in the widget.
    std::vector<ChartPoint> PlacedPoints() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ChartArea PlotArea() const;
    void DrawGuides(QPainter& painter, const ChartArea& area) const;
    void DrawRounds(QPainter& painter, const ChartArea& area) const;
    void DrawCurve(QPainter& painter, const ChartArea& area) const;

    const Journey& journey;
};
