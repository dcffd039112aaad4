#include "widgets/acQuickAboutBoxForm.h"

#include "widgets/acLabel.h"
#include "widgets/acRichLabel.h"
#include "widgets/acURLLabel.h"

#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>

namespace {

constexpr int bandCount = 255;

int Blend(int from, int to, int band)
{
    return from + (to - from) * band / (bandCount - 1);
}

QColor BandColor(const QColor& from, const QColor& to, int band)
{
    return QColor(Blend(from.red(), to.red(), band), Blend(from.green(), to.green(), band),
        Blend(from.blue(), to.blue(), band));
}

} // namespace

std::vector<GradientBand> GradientBands(
    QSize area, TacGradientDirection direction, const QColor& from, const QColor& to)
{
    const bool horizontal = direction == gdHorizontal;
    const int length = horizontal ? area.width() : area.height();
    std::vector<GradientBand> bands;
    bands.reserve(bandCount);
    for (int band = 0; band < bandCount; ++band) {
        const int start = band * length / bandCount;
        const int end = (band + 1) * length / bandCount;
        const QRect rect = horizontal ? QRect(start, 0, end - start, area.height())
                                      : QRect(0, start, area.width(), end - start);
        bands.push_back({ rect, BandColor(from, to, band) });
    }
    return bands;
}

template <typename Widget> Widget* TacQuickAboutBoxForm::Add(const char* name, QRect design)
{
    auto* widget = new Widget(this);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(design);
    return widget;
}

TacQuickAboutBoxForm::TacQuickAboutBoxForm(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
            | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("TacQuickAboutBoxForm"));
    Icon = Add<QLabel>("Icon", { 4, 4, 32, 32 });
    Icon->hide();
    SetUpTitle();
    SetUpLabels();
    SetUpButton();
}

void TacQuickAboutBoxForm::SetUpTitle()
{
    TitleLabel = Add<TacLabel>("TitleLabel", { 4, 4, 285, 21 });
    TitleLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(16);
    title.setBold(true);
    title.setItalic(true);
    TitleLabel->setFont(title);
}

void TacQuickAboutBoxForm::SetUpLabels()
{
    CopyrightLabel = Add<TacRichLabel>("CopyrightLabel", { 42, 28, 249, 13 });
    CopyrightLabel->SetTransparent(true);
    Bevel1 = Add<QFrame>("Bevel1", { 34, 57, 255, 2 });
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    DescriptionLabel = Add<TacRichLabel>("DescriptionLabel", { 34, 64, 257, 13 });
    DescriptionLabel->SetTransparent(true);
    Bevel2 = Add<QFrame>("Bevel2", { 34, 114, 255, 2 });
    Bevel2->setFrameShape(QFrame::HLine);
    Bevel2->setFrameShadow(QFrame::Sunken);
    EmailLabel = Add<QLabel>("EmailLabel", { 34, 156, 0, 0 });
    EmailLabel->setText(QStringLiteral("E-Mail:"));
    EmailLabel->adjustSize();
    EmailLab = Add<TacURLLabel>("EmailLab", { 72, 156, 0, 0 });
    WWWLabel = Add<QLabel>("WWWLabel", { 34, 170, 0, 0 });
    WWWLabel->setText(QStringLiteral("WWW:"));
    WWWLabel->adjustSize();
    WWWLab = Add<TacURLLabel>("WWWLab", { 72, 170, 0, 0 });
    WWWLab->SetKind(TacURLLabel::ukWWW);
}

void TacQuickAboutBoxForm::SetUpButton()
{
    OKBtn = Add<QPushButton>("OKBtn", { 48, 192, 91, 24 });
    OKBtn->setDefault(true);
    OKBtn->setAutoDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

void TacQuickAboutBoxForm::reject()
{
    accept();
}

void TacQuickAboutBoxForm::SetAnimations(bool onShow, bool onHide, int delay)
{
    animateOnShow = onShow;
    animateOnHide = onHide;
    animationDelay = delay;
}

void TacQuickAboutBoxForm::Fade(qreal to)
{
    QPropertyAnimation fade(this, "windowOpacity");
    fade.setDuration(animationDelay);
    fade.setEndValue(to);
    QEventLoop wait;
    connect(&fade, &QPropertyAnimation::finished, &wait, &QEventLoop::quit);
    fade.start();
    wait.exec(QEventLoop::ExcludeUserInputEvents);
}

void TacQuickAboutBoxForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!animateOnShow || animationDelay <= 0)
        return;
    setWindowOpacity(0.0);
    auto* fadeIn = new QPropertyAnimation(this, "windowOpacity", this);
    fadeIn->setDuration(animationDelay);
    fadeIn->setEndValue(1.0);
    fadeIn->start(QAbstractAnimation::DeleteWhenStopped);
}

void TacQuickAboutBoxForm::done(int result)
{
    if (closing)
        return;
    closing = true;
    if (animateOnHide && animationDelay > 0 && isVisible())
        Fade(0.0);
    QDialog::done(result);
    closing = false;
}

void TacQuickAboutBoxForm::SetGradient(const TacGradient& value)
{
    gradient = value;
    update();
}

void TacQuickAboutBoxForm::paintEvent(QPaintEvent* event)
{
    if (!gradient.Enabled) {
        QDialog::paintEvent(event);
        return;
    }
    const QColor from
        = gradient.Color1.isValid() ? gradient.Color1 : palette().color(QPalette::Button);
    const QColor to
        = gradient.Color2.isValid() ? gradient.Color2 : palette().color(QPalette::Light);
    QPainter painter(this);
    for (const GradientBand& band : GradientBands(size(), gradient.Direction, from, to))
        painter.fillRect(band.rect, band.color);
}
