#include "app/StatusBar.h"

#include "platform/Text.h"

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent), panel(new QLabel(this))
{
    panel->setObjectName(QStringLiteral("SimplePanel"));
    panel->setTextFormat(Qt::PlainText);
    addWidget(panel, 1);
}

std::string TStatusBar::Text() const
{
    return platform::ToBytes(panel->text());
}

void TStatusBar::SetText(const std::string& text)
{
    panel->setText(platform::ToQString(text));
}
