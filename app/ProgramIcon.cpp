#include "app/ProgramIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

void PaintBackground(QPainter& painter, qreal size)
{
    QLinearGradient gradient(0, 0, 0, size);
    gradient.setColorAt(0, QColor(0x3A, 0x7B, 0xD5));
    gradient.setColorAt(1, QColor(0x1C, 0x3F, 0x8C));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(0, 0, size, size), size * 0.18, size * 0.18);
}

// One half of the circle with an arrowhead at its end; the second half is the
// same turned half way round.
void PaintArrow(QPainter& painter, qreal size)
{
    const QRectF circle(size * 0.16, size * 0.16, size * 0.68, size * 0.68);
    painter.setPen(QPen(QColor(0xFF, 0xD8, 0x4A), size * 0.08, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(circle, 30 * 16, 140 * 16);
    QPainterPath head;
    const QPointF tip(size * 0.18, size * 0.40);
    head.moveTo(tip);
    head.lineTo(tip + QPointF(-size * 0.10, -size * 0.12));
    head.lineTo(tip + QPointF(size * 0.12, -size * 0.10));
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xFF, 0xD8, 0x4A));
    painter.drawPath(head);
}

void PaintLetter(QPainter& painter, qreal size)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setBold(true);
    font.setPixelSize(static_cast<int>(size * 0.42));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, QStringLiteral("T"));
}

} // namespace

QPixmap ProgramIconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = size;
    PaintBackground(painter, side);
    PaintArrow(painter, side);
    painter.translate(side, side);
    painter.rotate(180);
    PaintArrow(painter, side);
    painter.resetTransform();
    PaintLetter(painter, side);
    return pixmap;
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : { 16, 32, 48, 64, 128 })
        icon.addPixmap(ProgramIconPixmap(size));
    return icon;
}
