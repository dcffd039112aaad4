#include "widgets/acSplitterPanel.h"

#include "widgets/SplitterLayout.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <utility>

namespace {

// The bar drawn over the panes while dragging with ssLine or ssPattern; the
// panes themselves move only on release.
class SplitterGhost : public QWidget {
public:
    SplitterGhost(QWidget* parent, bool pattern) : QWidget(parent), pattern(pattern)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QColor ink = palette().color(QPalette::WindowText);
        painter.fillRect(rect(), pattern ? QBrush(ink, Qt::Dense4Pattern) : QBrush(ink));
    }

private:
    bool pattern;
};

} // namespace

TacSplitterPanel::TacSplitterPanel(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

TacSplitterPanel::~TacSplitterPanel() = default;

void TacSplitterPanel::SetSplitterPos(int value)
{
    if (value == splitterPos)
        return;
    splitterPos = value;
    AdjustPanes();
    if (OnSplitterPosChanged)
        OnSplitterPosChanged(this, splitterPos);
}

void TacSplitterPanel::SetMinSize(int value)
{
    minSize = static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF));
    if (auto* owner = qobject_cast<TacSplitterPanel*>(parentWidget()))
        owner->AdjustPanes();
}

void TacSplitterPanel::SetSplitterWidth(int value)
{
    splitterWidth = static_cast<std::uint8_t>(std::clamp(value, 0, 0xFF));
    AdjustPanes();
}

void TacSplitterPanel::SetSplitterLocked(bool value)
{
    splitterLocked = value;
    UpdateCursor(mapFromGlobal(QCursor::pos()));
}

void TacSplitterPanel::SetNoResize(bool value)
{
    noResize = value;
    UpdateCursor(mapFromGlobal(QCursor::pos()));
}

void TacSplitterPanel::SetBorderWidth(int value)
{
    borderWidth = std::max(0, value);
    AdjustPanes();
}

void TacSplitterPanel::SetAlign(TAlign value)
{
    align = value;
    if (auto* owner = qobject_cast<TacSplitterPanel*>(parentWidget()))
        owner->AdjustPanes();
}

void TacSplitterPanel::SetPane(bool value)
{
    pane = value;
    if (pane)
        JoinParent();
}

void TacSplitterPanel::JoinParent()
{
    if (auto* owner = qobject_cast<TacSplitterPanel*>(parentWidget()))
        owner->AttachPane(this);
}

void TacSplitterPanel::AttachPane(TacSplitterPanel* child)
{
    if (child == firstPane || child == secondPane)
        return;
    if (!firstPane)
        firstPane = child;
    else if (!secondPane)
        secondPane = child;
    else
        return;
    child->installEventFilter(this);
    AdjustPanes();
}

void TacSplitterPanel::DetachPane(QObject* child)
{
    // A pane being destroyed has already cleared its guard, so a pane that
    // is gone counts as detached too.
    const bool wasPane = child == firstPane || child == secondPane;
    if (wasPane)
        child->removeEventFilter(this);
    if (child == secondPane)
        secondPane = nullptr;
    if (child == firstPane || !firstPane) {
        firstPane = secondPane;
        secondPane = nullptr;
    }
    AdjustPanes();
}

bool TacSplitterPanel::IsVerticalSplit() const
{
    const auto sideways = [](const TacSplitterPanel* p) {
        return p && (p->Align() == alLeft || p->Align() == alRight);
    };
    return sideways(firstPane) || sideways(secondPane);
}

TacSplitterPanel* TacSplitterPanel::FixedPane() const
{
    if (firstPane && firstPane->Align() == alClient)
        return secondPane;
    return firstPane;
}

SplitterGeometry TacSplitterPanel::CurrentGeometry() const
{
    SplitterGeometry geometry;
    geometry.vertical = IsVerticalSplit();
    geometry.fixedIsSecond = firstPane && secondPane && FixedPane() == secondPane;
    geometry.clientWidth = width();
    geometry.clientHeight = height();
    geometry.position = splitterPos;
    geometry.barWidth = splitterWidth;
    geometry.border = borderWidth;
    geometry.firstVisible = firstPane && !firstPane->isHidden();
    geometry.secondVisible = secondPane && !secondPane->isHidden();
    return geometry;
}

QRect TacSplitterPanel::SplitterRect() const
{
    const SplitterRects rects = LayOutSplitter(CurrentGeometry());
    return rects.hasBar ? rects.bar : QRect();
}

void TacSplitterPanel::AdjustPanes()
{
    const SplitterRects rects = LayOutSplitter(CurrentGeometry());
    layingOut = true;
    if (firstPane && !firstPane->isHidden())
        firstPane->setGeometry(rects.first);
    if (secondPane && !secondPane->isHidden())
        secondPane->setGeometry(rects.second);
    layingOut = false;
}

int TacSplitterPanel::ClampedPos(int position) const
{
    const TacSplitterPanel* fixed = FixedPane();
    const TacSplitterPanel* other = fixed == firstPane ? secondPane : firstPane;
    if (!fixed || !other)
        return position;
    return ClampSplitterPos(position, SplitterClientSize(CurrentGeometry()), fixed->MinSize(),
        other->MinSize(), splitterWidth);
}

void TacSplitterPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int size = SplitterClientSize(CurrentGeometry());
    const int sizeBefore = std::exchange(sizeAtLastChange, size);
    if (!isVisible() || !IsSplitter()) {
        AdjustPanes();
        return;
    }
    int position = splitterPos;
    if (proportionalPanes)
        position = ScaleSplitterPos(position, size, sizeBefore);
    position = ClampedPos(position);
    if (position == splitterPos)
        AdjustPanes();
    else
        SetSplitterPos(position);
}

int TacSplitterPanel::AlongSplit(QPoint point) const
{
    return IsVerticalSplit() ? point.x() : point.y();
}

// There is no portable pointer confinement, so a pointer that leaves the
// panel while dragging is put back on its nearest edge.
void TacSplitterPanel::KeepPointerInside(QPoint point)
{
    const QRect client = rect();
    if (client.isEmpty() || client.contains(point))
        return;
    const QPoint inside(std::clamp(point.x(), client.left(), client.right()),
        std::clamp(point.y(), client.top(), client.bottom()));
    QCursor::setPos(mapToGlobal(inside));
}

bool TacSplitterPanel::CanDrag() const
{
    return IsSplitter() && !splitterLocked && !noResize;
}

void TacSplitterPanel::mousePressEvent(QMouseEvent* event)
{
    const QRect bar = SplitterRect();
    if (event->button() != Qt::LeftButton || !CanDrag()
        || !bar.contains(event->position().toPoint())) {
        QWidget::mousePressEvent(event);
        return;
    }
    dragging = true;
    dragPos = splitterPos;
    dragOffset = AlongSplit(event->position().toPoint()) - SplitterBarStart(CurrentGeometry());
    if (splitterStyle != ssUpdate) {
        ghost = new SplitterGhost(this, splitterStyle == ssPattern);
        MoveGhost(splitterPos);
        ghost->show();
        ghost->raise();
    }
}

void TacSplitterPanel::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (!dragging) {
        UpdateCursor(point);
        QWidget::mouseMoveEvent(event);
        return;
    }
    if (clipSplitRect)
        KeepPointerInside(point);
    const int position
        = ClampedPos(SplitterPosFromBarStart(CurrentGeometry(), AlongSplit(point) - dragOffset));
    if (position == dragPos)
        return;
    dragPos = position;
    if (ghost)
        MoveGhost(position);
    else
        SetSplitterPos(position);
}

void TacSplitterPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (!dragging || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    FinishDrag();
    UpdateCursor(event->position().toPoint());
}

void TacSplitterPanel::FinishDrag()
{
    dragging = false;
    if (!ghost)
        return;
    delete ghost;
    ghost = nullptr;
    SetSplitterPos(dragPos);
}

void TacSplitterPanel::MoveGhost(int position)
{
    SplitterGeometry geometry = CurrentGeometry();
    geometry.position = position;
    ghost->setGeometry(LayOutSplitter(geometry).bar);
}

void TacSplitterPanel::UpdateCursor(QPoint point)
{
    const bool overBar = CanDrag() && SplitterRect().contains(point);
    if (overBar == showingBarCursor)
        return;
    showingBarCursor = overBar;
    if (overBar) {
        hadOwnCursor = testAttribute(Qt::WA_SetCursor);
        ownCursor = cursor();
        setCursor(IsVerticalSplit() ? cursorVert : cursorHorz);
    } else if (hadOwnCursor) {
        setCursor(ownCursor);
    } else {
        unsetCursor();
    }
}

void TacSplitterPanel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ParentChange && pane)
        JoinParent();
}

void TacSplitterPanel::childEvent(QChildEvent* event)
{
    QWidget::childEvent(event);
    if (event->removed())
        DetachPane(event->child());
}

void TacSplitterPanel::FollowPaneResize(TacSplitterPanel* resized)
{
    if (layingOut || resized != FixedPane() || !IsSplitter())
        return;
    const int size = IsVerticalSplit() ? resized->width() : resized->height();
    SetSplitterPos(size);
}

bool TacSplitterPanel::eventFilter(QObject* watched, QEvent* event)
{
    auto* child = qobject_cast<TacSplitterPanel*>(watched);
    if (child && (child == firstPane || child == secondPane)) {
        if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
            AdjustPanes();
        else if (event->type() == QEvent::Resize)
            FollowPaneResize(child);
    }
    return QWidget::eventFilter(watched, event);
}
