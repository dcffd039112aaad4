#include "widgets/acQuickAboutBox.h"

#include "platform/WindowPlacement.h"
#include "widgets/acLabel.h"
#include "widgets/acRichLabel.h"
#include "widgets/acURLLabel.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

namespace {

bool IsTopmost(const QWidget* window)
{
    return window && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void MakeTopmostAgain(QWidget* window)
{
    if (IsTopmost(window))
        return;
    const bool wasShown = window->isVisible();
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (wasShown)
        window->show();
    window->setAttribute(Qt::WA_ShowWithoutActivating, false);
}

QPoint CentredOn(const QRect& area, QSize size)
{
    return area.center() - QPoint(size.width() / 2, size.height() / 2);
}

} // namespace

TacQuickAboutBox::TacQuickAboutBox(QObject* owner)
    : QObject(owner), DescriptionColor(QApplication::palette().color(QPalette::HighlightedText))
{
}

QWidget* TacQuickAboutBox::OwnerWindow() const
{
    for (QObject* object = parent(); object; object = object->parent()) {
        if (auto* widget = qobject_cast<QWidget*>(object))
            return widget->window();
    }
    return nullptr;
}

std::unique_ptr<TacQuickAboutBoxForm> TacQuickAboutBox::CreateForm() const
{
    auto form = std::make_unique<TacQuickAboutBoxForm>();
    LayOut(*form);
    return form;
}

void TacQuickAboutBox::LayOut(TacQuickAboutBoxForm& form) const
{
    form.TitleLabel->resize(Width - form.TitleLabel->x(), form.TitleLabel->height());
    form.Bevel1->resize(Width - form.Bevel1->x() - 17, form.Bevel1->height());
    form.Bevel2->resize(Width - form.Bevel2->x() - 17, form.Bevel2->height());
    ApplyCursors(form);
    form.SetGradient(GradientBackground);
    form.setWindowTitle(Localization.stAbout + u' ' + Caption + QStringLiteral(". . ."));
    form.OKBtn->setText(Localization.stOK);
    form.TitleLabel->setText(Caption);
    if (!Icon.isNull()) {
        form.Icon->setPixmap(Icon);
        form.Icon->resize(Icon.size());
        form.Icon->show();
    }
    form.CopyrightLabel->SetCaption(Copyright);
    int y = form.CopyrightLabel->y() + form.CopyrightLabel->height();
    form.Bevel1->move(form.Bevel1->x(), y + 2);
    y += 7;
    if (!Description.isEmpty())
        y = LayOutDescription(form, y);
    y = LayOutLinks(form, y);
    form.Bevel1->setVisible(ShowBevels);
    form.Bevel2->setVisible(ShowBevels && !Description.isEmpty());
    form.DescriptionLabel->setVisible(!Description.isEmpty());
    form.OKBtn->move(Width / 2 - form.OKBtn->width() / 2, y);
    form.setFixedSize(Width, y + form.OKBtn->height() + 6);
}

int TacQuickAboutBox::LayOutDescription(TacQuickAboutBoxForm& form, int y) const
{
    TacRichLabel& label = *form.DescriptionLabel;
    if (ShowFrames) {
        label.SetColor(DescriptionColor);
        label.SetTransparent(false);
        label.SetShowFrame(true);
        label.SetShowShadow(true);
        label.SetMarginHorz(10);
        label.SetMarginVert(4);
    }
    label.setGeometry(label.x(), y, form.Bevel1->width(), label.height());
    label.SetCaption(Description);
    y += label.height() + 2;
    form.Bevel2->move(form.Bevel2->x(), y);
    return y + 5;
}

namespace {

// The links stand at their designed column unless a wider font makes the
// captions before them reach it; then both move right together.
int LinkColumn(const TacQuickAboutBoxForm& form)
{
    constexpr int gap = 4;
    return std::max({ form.EmailLab->x(), form.EmailLabel->geometry().right() + 1 + gap,
        form.WWWLabel->geometry().right() + 1 + gap });
}

// Moves a link and its caption to the row at y and gives the link its text,
// which is its hint as well where hints are shown.
void PlaceLinkRow(QLabel& caption, TacURLLabel& link, int y, const QString& text, bool hint)
{
    caption.move(caption.x(), y);
    link.move(link.x(), y);
    link.setText(text);
    if (hint)
        link.setToolTip(text);
}

} // namespace

int TacQuickAboutBox::LayOutLinks(TacQuickAboutBoxForm& form, int y) const
{
    const int column = LinkColumn(form);
    form.EmailLab->move(column, form.EmailLab->y());
    form.WWWLab->move(column, form.WWWLab->y());
    TacURLLabel& email = *form.EmailLab;
    PlaceLinkRow(*form.EmailLabel, email, y, Email, ShowHints);
    if (EmailIsWWW) {
        email.SetKind(TacURLLabel::ukWWW);
        if (!EmailText.isEmpty())
            email.setText(EmailText);
        email.SetURL(Email);
    }
    email.adjustSize();
    y += email.height();
    TacURLLabel& web = *form.WWWLab;
    PlaceLinkRow(*form.WWWLabel, web, y, WebSite, ShowHints);
    web.SetURL(WebSite);
    web.adjustSize();
    return y + web.height() + 6;
}

void TacQuickAboutBox::ApplyCursors(TacQuickAboutBoxForm& form) const
{
    form.setCursor(Cursors.Client);
    form.EmailLab->setCursor(Cursors.Links);
    form.WWWLab->setCursor(Cursors.Links);
    form.OKBtn->setCursor(Cursors.Buttons);
}

void TacQuickAboutBox::Place(TacQuickAboutBoxForm& form) const
{
    QWidget* owner = OwnerWindow();
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QSize size = form.frameGeometry().size();
    switch (Position) {
    case poMainFormCenter:
    case poOwnerFormCenter:
        if (owner && owner->isVisible()) {
            form.move(CentredOn(owner->frameGeometry(), size));
            return;
        }
        [[fallthrough]];
    case poScreenCenter:
    case poDesktopCenter:
        if (screen)
            form.move(platform::CentredWithin(screen->availableGeometry(), size));
        return;
    case poDesigned:
    case poDefault:
        return;
    }
}

void TacQuickAboutBox::Execute()
{
    const std::unique_ptr<TacQuickAboutBoxForm> form = CreateForm();
    QWidget* owner = OwnerWindow();
    const bool ownerTopmost = IsTopmost(owner);
    if (ownerTopmost)
        form->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    form->SetAnimations(AnimationOnShow, AnimationOnHide, AnimationDelay);
    Place(*form);
    form->exec();
    if (ownerTopmost)
        MakeTopmostAgain(owner);
}
