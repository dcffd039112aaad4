#include "platform/WindowPlacement.h"

#include "platform/WindowHooks.h"

#include <QWidget>

namespace platform {

namespace {

constexpr Qt::WindowStates kSizeStates
    = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

struct FrameMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Zero until a window manager has framed the window.
FrameMargins MarginsOf(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return { client.left() - frame.left(), client.top() - frame.top(),
        frame.right() - client.right(), frame.bottom() - client.bottom() };
}

QRect NormalClientRect(const QWidget* window)
{
    if (!(window->windowState() & kSizeStates))
        return window->geometry();
    const QRect normal = window->normalGeometry();
    return normal.isValid() ? normal : window->geometry();
}

int ShowCommandOf(Qt::WindowStates state)
{
    if (state & Qt::WindowMinimized)
        return ShowMinimized;
    if (state & Qt::WindowMaximized)
        return ShowMaximized;
    return ShowNormal;
}

Qt::WindowStates StateOf(int showCommand, Qt::WindowStates current)
{
    const Qt::WindowStates others = current & ~kSizeStates;
    switch (showCommand) {
    case ShowMinimized:
    case 6:
    case 7:
        return others | Qt::WindowMinimized;
    case ShowMaximized:
        return others | Qt::WindowMaximized;
    default:
        return others;
    }
}

// Qt keeps the normal rectangle of a maximized window only as the geometry it
// had when it left the normal state, so the window passes through that state.
void PlaceNormalRectangle(QWidget* window, const WindowPlacementRecord& placement)
{
    const FrameMargins margins = MarginsOf(window);
    const Qt::WindowStates state = window->windowState();
    if (state & kSizeStates)
        window->setWindowState(state & ~kSizeStates);
    window->move(placement.left, placement.top);
    if (!window->isVisible())
        WindowEvents::Of(window)->SetPendingFrameSize(
            QSize(placement.right - placement.left, placement.bottom - placement.top));
    window->resize(placement.right - placement.left - margins.left - margins.right,
        placement.bottom - placement.top - margins.top - margins.bottom);
    if (state & kSizeStates)
        window->setWindowState(state);
}

} // namespace

WindowPlacementRecord GetWindowPlacement(const QWidget* window)
{
    WindowPlacementRecord placement;
    const Qt::WindowStates state = window->windowState();
    placement.showCommand = ShowCommandOf(state);
    if ((state & Qt::WindowMinimized) && (state & Qt::WindowMaximized))
        placement.flags = RestoreToMaximized;
    const QRect client = NormalClientRect(window);
    const FrameMargins margins = MarginsOf(window);
    placement.left = client.left() - margins.left;
    placement.top = client.top() - margins.top;
    placement.right = client.left() + client.width() + margins.right;
    placement.bottom = client.top() + client.height() + margins.bottom;
    return placement;
}

void SetWindowPlacement(QWidget* window, const WindowPlacementRecord& placement)
{
    PlaceNormalRectangle(window, placement);
    if (placement.showCommand == ShowHidden)
        return;
    window->setWindowState(StateOf(placement.showCommand, window->windowState()));
    if (!window->isVisible())
        window->show();
}

bool IsWindowVisible(const QWidget* window)
{
    return window->isVisible();
}

bool IsIconic(const QWidget* window)
{
    return window->isMinimized();
}

} // namespace platform
