#include "app/StatusBar.h"

#include "platform/QtText.h"

#include <QResizeEvent>

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent), panel(new QLabel(this))
{
    panel->setObjectName(QStringLiteral("SimplePanel"));
    panel->setTextFormat(Qt::PlainText);
    // The panel takes what room the bar has and never widens the window.
    panel->setMinimumWidth(1);
    panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(panel, 1);
}

std::string TStatusBar::Text() const
{
    return platform::ToBytes(fullText);
}

void TStatusBar::SetText(const std::string& text)
{
    SetSimpleText(platform::ToQString(text));
}

void TStatusBar::SetSimpleText(const QString& text)
{
    fullText = text;
    ShowFitting();
}

void TStatusBar::resizeEvent(QResizeEvent* event)
{
    QStatusBar::resizeEvent(event);
    ShowFitting();
}

// A failure's cause stands at the end of its text, so a text cut short can
// always be read whole from the tool-tip.
void TStatusBar::ShowFitting()
{
    const QString shown
        = panel->fontMetrics().elidedText(fullText, Qt::ElideRight, panel->contentsRect().width());
    panel->setText(shown);
    panel->setToolTip(shown == fullText ? QString() : fullText);
}
