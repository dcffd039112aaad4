#include "widgets/acLabel.h"

#include <QPainter>

TacLabel::TacLabel(QWidget* parent) : QLabel(parent) { }

void TacLabel::SetShadowDepth(int value)
{
    shadowDepth = value;
    update();
}

void TacLabel::SetHighlightDepth(int value)
{
    highlightDepth = value;
    update();
}

QColor TacLabel::ShadowColor() const
{
    return palette().color(QPalette::Light);
}

QColor TacLabel::HighlightColor() const
{
    return palette().color(QPalette::HighlightedText);
}

void TacLabel::DrawTextAt(QPainter& painter, QPoint offset, const QColor& color)
{
    painter.setPen(color);
    painter.drawText(rect().translated(offset), static_cast<int>(alignment()), text());
}

void TacLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(font());
    if (shadowDepth > 0)
        DrawTextAt(painter, { shadowDepth, shadowDepth }, ShadowColor());
    if (highlightDepth > 0)
        DrawTextAt(painter, { highlightDepth, highlightDepth }, HighlightColor());
    DrawTextAt(painter, {}, palette().color(QPalette::WindowText));
}
