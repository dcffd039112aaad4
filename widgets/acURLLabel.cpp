#include "widgets/acURLLabel.h"

#include "platform/QtText.h"
#include "platform/UserInterface.h"

#include <QMouseEvent>

TacURLLabel::TacURLLabel(QWidget* parent) : QLabel(parent)
{
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    ShowColor(NormalColor());
}

QColor TacURLLabel::CurrentColor() const
{
    return palette().color(QPalette::WindowText);
}

void TacURLLabel::ShowColor(const QColor& color)
{
    QPalette colored = palette();
    colored.setColor(QPalette::WindowText, color);
    setPalette(colored);
}

void TacURLLabel::Open()
{
    if (kind == ukEmail) {
        platform::OpenShowingFailure(window(), "mailto:" + platform::ToBytes(text()));
        return;
    }
    if (!url.isEmpty())
        platform::OpenShowingFailure(window(), platform::ToBytes(url));
}

void TacURLLabel::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    hovered = true;
    ShowColor(HoverColor());
}

void TacURLLabel::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    hovered = false;
    ShowColor(NormalColor());
}

void TacURLLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        ShowColor(PressedColor());
    QLabel::mousePressEvent(event);
}

void TacURLLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    ShowColor(inside || hovered ? HoverColor() : NormalColor());
    if (inside)
        Open();
}
