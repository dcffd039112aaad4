#include "platform/WindowPlacement.h"

#include "platform/WindowHooks.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace platform {

namespace {

constexpr Qt::WindowStates kSizeStates
    = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
// How much of the title bar must show, across and down, for a person to grab it.
constexpr int kTitleReach = 32;

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

bool TitleBarShowsOn(const QRect& frame, const QRect& area)
{
    const QRect titleBar(frame.left(), frame.top(), frame.width(), kTitleReach);
    const QRect shown = titleBar & area;
    return shown.height() == kTitleReach && shown.width() >= std::min(kTitleReach, frame.width());
}

// Qt keeps the normal rectangle of a maximized window only as the geometry it
// had when it left the normal state, so the window passes through that state.
void PlaceNormalRectangle(QWidget* window, const WindowPlacementRecord& placement)
{
    const FrameMargins margins = MarginsOf(window);
    const Qt::WindowStates state = window->windowState();
    if (state & kSizeStates)
        window->setWindowState(state & ~kSizeStates);
    const QRect frame(QPoint(placement.left, placement.top),
        QSize(placement.right - placement.left, placement.bottom - placement.top));
    window->move(ReachablePosition(frame, ScreenAreas()));
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

std::vector<QRect> ScreenAreas()
{
    std::vector<QRect> areas;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        areas.push_back(primary->availableGeometry());
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != primary)
            areas.push_back(screen->availableGeometry());
    return areas;
}

QPoint CentredWithin(const QRect& area, QSize frame)
{
    const QPoint centred = area.center() - QPoint(frame.width() / 2, frame.height() / 2);
    return QPoint(std::max(area.left(), centred.x()), std::max(area.top(), centred.y()));
}

QPoint ReachablePosition(const QRect& frame, const std::vector<QRect>& areas)
{
    const bool reachable = std::any_of(areas.begin(), areas.end(),
        [&frame](const QRect& area) { return TitleBarShowsOn(frame, area); });
    if (reachable || areas.empty())
        return frame.topLeft();
    const QRect& area = areas.front();
    const int left = std::clamp(
        frame.left(), area.left(), std::max(area.left(), area.right() + 1 - frame.width()));
    const int top = std::clamp(
        frame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height()));
    return QPoint(left, top);
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
