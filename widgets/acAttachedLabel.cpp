#include "widgets/acAttachedLabel.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <functional>

namespace {

class AttachedLabelControl : public QLabel {
public:
    std::function<void()> onPress;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        QLabel::mousePressEvent(event);
        if (event->button() == Qt::LeftButton && onPress)
            onPress();
    }
};

int NearOrFar(TacAttachedLabel::TSpacingKind kind, int near, int far)
{
    return kind == TacAttachedLabel::skNearPoint ? near : far;
}

} // namespace

QPoint AttachedLabelOrigin(const QRect& edit, const QSize& label,
    TacAttachedLabel::TLabelPosition position, int spacing, TacAttachedLabel::TSpacingKind kind)
{
    const int L = edit.left(), T = edit.top(), W = edit.width(), H = edit.height();
    const int w = label.width(), h = label.height(), s = spacing;
    // Integer division truncates toward zero, so a label larger than the edit
    // is still centred on it.
    const int middleX = L + (W - w) / 2;
    const int middleY = T + (H - h) / 2;
    const int above = NearOrFar(kind, T - h - s, T - s);
    const int below = NearOrFar(kind, T + H + s, T + H + s - h);
    switch (position) {
    case TacAttachedLabel::lpAbove:
        return { L, above };
    case TacAttachedLabel::lpBelow:
        return { L, below };
    case TacAttachedLabel::lpLeft:
        return { NearOrFar(kind, L - w - s, L - s), middleY };
    case TacAttachedLabel::lpRight:
        return { NearOrFar(kind, L + W + s, L + W + s - w), middleY };
    case TacAttachedLabel::lpAboveCenter:
        return { middleX, above };
    case TacAttachedLabel::lpBelowCenter:
        return { middleX, below };
    }
    return { L, T };
}

TacAttachedLabel::TacAttachedLabel(QWidget* edit) : QObject(edit), edit(edit)
{
    auto* control = new AttachedLabelControl;
    control->onPress = [this] { LabelPressed(); };
    control->hide();
    label = control;
    edit->installEventFilter(this);
    FollowParent();
}

TacAttachedLabel::~TacAttachedLabel()
{
    delete label.data();
}

QLabel* TacAttachedLabel::Label() const
{
    return label.data();
}

QString TacAttachedLabel::Caption() const
{
    return label ? label->text() : QString();
}

void TacAttachedLabel::SetCaption(const QString& value)
{
    label->setText(value);
    UpdateSize();
}

void TacAttachedLabel::SetPosition(TLabelPosition value)
{
    Assign(position, value, &TacAttachedLabel::UpdatePlace);
}

void TacAttachedLabel::SetSpacing(int value)
{
    Assign(spacing, value, &TacAttachedLabel::UpdatePlace);
}

void TacAttachedLabel::SetSpacingKind(TSpacingKind value)
{
    Assign(spacingKind, value, &TacAttachedLabel::UpdatePlace);
}

void TacAttachedLabel::SetTransparent(bool value)
{
    Assign(transparent, value, &TacAttachedLabel::UpdateBackground);
}

void TacAttachedLabel::SetVisible(bool value)
{
    Assign(visible, value, &TacAttachedLabel::UpdateVisibility);
}

bool TacAttachedLabel::WordWrap() const
{
    return label->wordWrap();
}

void TacAttachedLabel::SetWordWrap(bool value)
{
    label->setWordWrap(value);
    UpdateSize();
}

QString TacAttachedLabel::Hint() const
{
    return label->toolTip();
}

void TacAttachedLabel::SetHint(const QString& value)
{
    label->setToolTip(value);
}

QFont TacAttachedLabel::Font() const
{
    return label->font();
}

void TacAttachedLabel::SetFont(const QFont& value)
{
    label->setFont(value);
    UpdateSize();
}

void TacAttachedLabel::SetColor(const QColor& value)
{
    Assign(color, value, &TacAttachedLabel::UpdateBackground);
}

void TacAttachedLabel::UpdateBackground()
{
    label->setAutoFillBackground(!transparent);
    QPalette palette = label->palette();
    if (color.isValid())
        palette.setColor(QPalette::Window, color);
    else
        palette.setColor(QPalette::Window,
            label->parentWidget() ? label->parentWidget()->palette().color(QPalette::Window)
                                  : QPalette().color(QPalette::Window));
    label->setPalette(palette);
}

void TacAttachedLabel::UpdateSize()
{
    label->adjustSize();
    UpdatePlace();
}

void TacAttachedLabel::UpdatePlace()
{
    if (!label)
        return;
    label->move(
        AttachedLabelOrigin(edit->geometry(), label->size(), position, spacing, spacingKind));
}

void TacAttachedLabel::UpdateVisibility()
{
    if (!label)
        return;
    label->setVisible(visible && !edit->isHidden() && label->parentWidget());
}

void TacAttachedLabel::FollowParent()
{
    if (label->parentWidget() != edit->parentWidget())
        label->setParent(edit->parentWidget());
    label->setEnabled(edit->isEnabled());
    UpdateBackground();
    UpdateSize();
    UpdateVisibility();
}

void TacAttachedLabel::LabelPressed()
{
    if (focusOnClick && edit->isEnabled())
        edit->setFocus(Qt::MouseFocusReason);
}

bool TacAttachedLabel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edit && label) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            UpdatePlace();
            break;
        case QEvent::ParentChange:
            FollowParent();
            break;
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            UpdateVisibility();
            break;
        case QEvent::EnabledChange:
            label->setEnabled(edit->isEnabled());
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
