#include "widgets/SplitterLayout.h"

#include <gtest/gtest.h>

namespace {

SplitterGeometry TopPaneOf(int width, int height, int position)
{
    SplitterGeometry geometry;
    geometry.clientWidth = width;
    geometry.clientHeight = height;
    geometry.position = position;
    return geometry;
}

} // namespace

TEST(SplitterLayout, MainWindowPanelPutsLowerPaneBelowTheBar)
{
    const SplitterRects rects = LayOutSplitter(TopPaneOf(460, 443, 323));
    ASSERT_TRUE(rects.hasBar);
    EXPECT_EQ(rects.first, QRect(0, 0, 460, 323));
    EXPECT_EQ(rects.bar, QRect(0, 323, 460, 3));
    EXPECT_EQ(rects.second, QRect(0, 326, 460, 117));
}

TEST(SplitterLayout, BorderInsetsBothPanesAndWidensTheBar)
{
    SplitterGeometry geometry = TopPaneOf(200, 300, 100);
    geometry.border = 5;
    const SplitterRects rects = LayOutSplitter(geometry);
    EXPECT_EQ(rects.first, QRect(5, 5, 190, 100));
    EXPECT_EQ(rects.bar, QRect(0, 100, 200, 13));
    EXPECT_EQ(rects.second, QRect(5, 108, 190, 300 - 113));
}

TEST(SplitterLayout, VerticalSplitExchangesTheAxes)
{
    SplitterGeometry geometry = TopPaneOf(400, 150, 120);
    geometry.vertical = true;
    const SplitterRects rects = LayOutSplitter(geometry);
    EXPECT_EQ(rects.first, QRect(0, 0, 120, 150));
    EXPECT_EQ(rects.bar, QRect(120, 0, 3, 150));
    EXPECT_EQ(rects.second, QRect(123, 0, 277, 150));
}

TEST(SplitterLayout, FixedSecondPaneIsMeasuredFromTheFarEdge)
{
    SplitterGeometry geometry = TopPaneOf(460, 443, 100);
    geometry.fixedIsSecond = true;
    const SplitterRects rects = LayOutSplitter(geometry);
    EXPECT_EQ(rects.second, QRect(0, 343, 460, 100));
    EXPECT_EQ(rects.bar, QRect(0, 340, 460, 3));
    EXPECT_EQ(rects.first, QRect(0, 0, 460, 340));
}

TEST(SplitterLayout, FixedSecondPaneOnTheRightWithBorder)
{
    SplitterGeometry geometry = TopPaneOf(300, 100, 50);
    geometry.vertical = true;
    geometry.fixedIsSecond = true;
    geometry.border = 2;
    const SplitterRects rects = LayOutSplitter(geometry);
    EXPECT_EQ(rects.second, QRect(248, 2, 50, 96));
    EXPECT_EQ(rects.bar, QRect(243, 0, 7, 100));
    EXPECT_EQ(rects.first, QRect(2, 2, 300 - 57, 96));
}

TEST(SplitterLayout, HiddenPaneLeavesNoBarAndTheOtherFillsTheArea)
{
    SplitterGeometry geometry = TopPaneOf(460, 443, 323);
    geometry.secondVisible = false;
    SplitterRects rects = LayOutSplitter(geometry);
    EXPECT_FALSE(rects.hasBar);
    EXPECT_EQ(rects.first, QRect(0, 0, 460, 443));
    EXPECT_TRUE(rects.second.isNull());

    geometry.secondVisible = true;
    geometry.firstVisible = false;
    rects = LayOutSplitter(geometry);
    EXPECT_FALSE(rects.hasBar);
    EXPECT_EQ(rects.second, QRect(0, 0, 460, 443));
}

TEST(SplitterLayout, PositionBeyondThePanelGivesNoNegativeSizes)
{
    const SplitterRects rects = LayOutSplitter(TopPaneOf(100, 50, 80));
    EXPECT_EQ(rects.first.height(), 80);
    EXPECT_EQ(rects.second.height(), 0);
    EXPECT_GE(rects.second.width(), 0);
}

TEST(SplitterLayout, BarStartAndPositionAreInverse)
{
    SplitterGeometry geometry = TopPaneOf(460, 443, 90);
    geometry.border = 1;
    for (bool fixedIsSecond : { false, true }) {
        geometry.fixedIsSecond = fixedIsSecond;
        const int start = SplitterBarStart(geometry);
        EXPECT_EQ(SplitterPosFromBarStart(geometry, start), 90);
        EXPECT_EQ(LayOutSplitter(geometry).bar.top(), start);
    }
}

TEST(SplitterClamp, KeepsTheFixedPaneMinimum)
{
    EXPECT_EQ(ClampSplitterPos(100, 443, 303, 80, 3), 303);
}

TEST(SplitterClamp, KeepsTheOtherPaneMinimumAndTheBar)
{
    EXPECT_EQ(ClampSplitterPos(420, 443, 303, 80, 3), 360);
    EXPECT_EQ(ClampSplitterPos(360, 443, 303, 80, 3), 360);
    EXPECT_EQ(ClampSplitterPos(323, 443, 303, 80, 3), 323);
}

TEST(SplitterClamp, OtherPaneWinsWhenBothCannotBeMet)
{
    EXPECT_EQ(ClampSplitterPos(323, 300, 303, 80, 3), 217);
}

TEST(SplitterClamp, NeverNegativeInATinyPanel)
{
    EXPECT_EQ(ClampSplitterPos(323, 20, 303, 80, 3), 0);
}

TEST(SplitterScale, ScalesWithRounding)
{
    EXPECT_EQ(ScaleSplitterPos(100, 301, 200), 151);
    EXPECT_EQ(ScaleSplitterPos(100, 299, 200), 150);
    EXPECT_EQ(ScaleSplitterPos(100, 300, 0), 100);
}
