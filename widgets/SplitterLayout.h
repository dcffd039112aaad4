// The arithmetic behind the splitter panel: where the two panes and the bar
// go for a position, and how a position is kept inside the panes' minimums.
// Pure functions, so the rules can be checked without a window.
#pragma once

#include <QRect>

struct SplitterGeometry {
    bool vertical = false; // the bar runs from top to bottom
    bool fixedIsSecond = false; // the position is measured from the far edge
    int clientWidth = 0;
    int clientHeight = 0;
    int position = 0;
    int barWidth = 3;
    int border = 0;
    bool firstVisible = true;
    bool secondVisible = true;
};

struct SplitterRects {
    QRect first;
    QRect second;
    QRect bar;
    bool hasBar = false;
};

SplitterRects LayOutSplitter(const SplitterGeometry& geometry);

// Keeps the fixed pane at its minimum, but gives the other pane and the bar
// priority when both cannot be met. Never negative.
int ClampSplitterPos(
    int position, int clientSize, int fixedMinSize, int otherMinSize, int barWidth);

// The position after the panel went from oldSize to newSize with
// proportional panes; unchanged when there was no earlier size.
int ScaleSplitterPos(int position, int newSize, int oldSize);

// Start of the bar along the split, and the position a bar start stands for.
int SplitterBarStart(const SplitterGeometry& geometry);
int SplitterPosFromBarStart(const SplitterGeometry& geometry, int barStart);

// Client size along the split direction.
int SplitterClientSize(const SplitterGeometry& geometry);
