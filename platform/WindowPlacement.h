// The placement record of a top-level window: flags, show command, the
// minimized and maximized positions and the normal rectangle, where the
// normal rectangle is the outer frame of the window in its normal state.
#pragma once

#include <QRect>
#include <vector>

class QWidget;

namespace platform {

enum ShowCommand {
    ShowHidden = 0,
    ShowNormal = 1,
    ShowMinimized = 2,
    ShowMaximized = 3,
};

struct PlacementPoint {
    int x = -1;
    int y = -1;
};

struct WindowPlacementRecord {
    int flags = 0;
    int showCommand = ShowNormal;
    PlacementPoint minimizedPosition;
    PlacementPoint maximizedPosition;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Set in flags when a minimized window goes back to the maximized state.
inline constexpr int RestoreToMaximized = 2;

WindowPlacementRecord GetWindowPlacement(const QWidget* window);
// Applies the normal rectangle and the show command; a hidden command only
// places the window without showing it.
void SetWindowPlacement(QWidget* window, const WindowPlacementRecord& placement);
bool IsWindowVisible(const QWidget* window);
bool IsIconic(const QWidget* window);

// The available areas of the screens, the primary screen's first.
std::vector<QRect> ScreenAreas();
// The top-left corner that centres a frame of this size in the area; a frame
// larger than the area keeps its corner in it, so that the title bar and the
// menu stay within reach.
QPoint CentredWithin(const QRect& area, QSize frame);
// Where a frame goes so that its title bar can be reached: a frame whose
// title bar shows on one of the areas keeps its place; any other (a placement
// saved on other screens or at another scale) is moved just into the first
// area, the primary screen's.
QPoint ReachablePosition(const QRect& frame, const std::vector<QRect>& areas);

} // namespace platform
