#include "widgets/acSplitterPanel.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// The splitter as the main window designs it: a 323-pixel top pane that keeps
// 303 pixels, a client-aligned lower pane that keeps 80.
class SplitterPanelTest : public testing::Test {
protected:
    void SetUp() override
    {
        panel = std::make_unique<TacSplitterPanel>();
        panel->resize(460, 443);
        top = new TacSplitterPanel(panel.get());
        top->SetAlign(TacSplitterPanel::alTop);
        top->SetMinSize(303);
        top->setMinimumHeight(200);
        top->SetPane(true);
        bottom = new TacSplitterPanel(panel.get());
        bottom->SetAlign(TacSplitterPanel::alClient);
        bottom->SetMinSize(80);
        bottom->setMinimumHeight(40);
        bottom->SetPane(true);
        panel->SetSplitterPos(323);
        panel->OnSplitterPosChanged = [this](QObject* sender, int position) {
            EXPECT_EQ(sender, panel.get());
            changes.push_back(position);
        };
    }

    void Show()
    {
        panel->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    }

    void Drag(QPoint from, QPoint to)
    {
        QTest::mousePress(panel.get(), Qt::LeftButton, {}, from);
        QTest::mouseMove(panel.get(), to);
    }

    void Release(QPoint at) { QTest::mouseRelease(panel.get(), Qt::LeftButton, {}, at); }

    std::unique_ptr<TacSplitterPanel> panel;
    TacSplitterPanel* top = nullptr;
    TacSplitterPanel* bottom = nullptr;
    std::vector<int> changes;
};

} // namespace

TEST_F(SplitterPanelTest, PanesJoinInOrderAndSplitHorizontally)
{
    EXPECT_EQ(panel->Pane1(), top);
    EXPECT_EQ(panel->Pane2(), bottom);
    EXPECT_TRUE(panel->IsSplitter());
    EXPECT_FALSE(panel->IsVerticalSplit());
    EXPECT_EQ(panel->FixedPane(), top);
}

TEST_F(SplitterPanelTest, ThirdPaneIsIgnored)
{
    auto* extra = new TacSplitterPanel(panel.get());
    extra->SetPane(true);
    EXPECT_EQ(panel->Pane1(), top);
    EXPECT_EQ(panel->Pane2(), bottom);
}

TEST_F(SplitterPanelTest, LowerPaneOfThe443PixelPanel)
{
    Show();
    EXPECT_EQ(top->geometry(), QRect(0, 0, 460, 323));
    EXPECT_EQ(bottom->geometry(), QRect(0, 326, 460, 117));
    EXPECT_EQ(panel->SplitterRect(), QRect(0, 323, 460, 3));
}

TEST_F(SplitterPanelTest, DraggingUpStopsAtTheUpperMinimum)
{
    Show();
    Drag(QPoint(100, 324), QPoint(100, 250));
    EXPECT_EQ(panel->SplitterPos(), 303);
    EXPECT_EQ(top->height(), 303);
    QTest::mouseMove(panel.get(), QPoint(100, 10));
    Release(QPoint(100, 10));
    EXPECT_EQ(panel->SplitterPos(), 303);
    EXPECT_EQ(changes, std::vector<int> { 303 });
}

TEST_F(SplitterPanelTest, DraggingDownStopsWhenTheLowerPaneKeeps80)
{
    Show();
    Drag(QPoint(100, 324), QPoint(100, 340));
    EXPECT_EQ(panel->SplitterPos(), 339);
    QTest::mouseMove(panel.get(), QPoint(100, 442));
    Release(QPoint(100, 442));
    EXPECT_EQ(panel->SplitterPos(), 360);
    EXPECT_EQ(bottom->geometry(), QRect(0, 363, 460, 80));
}

TEST_F(SplitterPanelTest, PointerLeavingThePanelWhileDraggingIsPutBack)
{
    Show();
    Drag(QPoint(100, 324), QPoint(100, -200));
    EXPECT_EQ(panel->SplitterPos(), 303);
    EXPECT_EQ(QCursor::pos(), panel->mapToGlobal(QPoint(100, 0)));
    Release(QPoint(100, 0));
}

TEST_F(SplitterPanelTest, PointerIsFreeWithoutClipSplitRect)
{
    panel->SetClipSplitRect(false);
    Show();
    QCursor::setPos(panel->mapToGlobal(QPoint(5, 5)));
    Drag(QPoint(100, 324), QPoint(100, 600));
    Release(QPoint(100, 600));
    EXPECT_EQ(panel->SplitterPos(), 360);
    EXPECT_EQ(QCursor::pos(), panel->mapToGlobal(QPoint(5, 5)));
}

TEST_F(SplitterPanelTest, PositionIsAPropertyByName)
{
    EXPECT_EQ(panel->property("SplitterPos").toInt(), 323);
    EXPECT_TRUE(panel->setProperty("SplitterPos", 333));
    EXPECT_EQ(top->height(), 333);
    EXPECT_EQ(changes, std::vector<int> { 333 });
    EXPECT_EQ(panel->property("SplitterStyle").toInt(), TacSplitterPanel::ssUpdate);
}

TEST_F(SplitterPanelTest, PressOutsideTheBarDoesNotDrag)
{
    Show();
    Drag(QPoint(100, 320), QPoint(100, 340));
    Release(QPoint(100, 340));
    EXPECT_EQ(panel->SplitterPos(), 323);
    EXPECT_TRUE(changes.empty());
}

TEST_F(SplitterPanelTest, ShrinkingBelowBothMinimumsKeepsTheLowerPane)
{
    Show();
    panel->resize(460, 300);
    EXPECT_EQ(panel->SplitterPos(), 217);
    EXPECT_EQ(top->height(), 217);
    EXPECT_EQ(bottom->geometry(), QRect(0, 220, 460, 80));
}

TEST_F(SplitterPanelTest, SavedPositionIsLaidOutAsSavedUntilTheFirstResize)
{
    panel->SetSplitterPos(400);
    Show();
    EXPECT_EQ(panel->SplitterPos(), 400);
    EXPECT_EQ(top->height(), 400);
    panel->resize(460, 450);
    EXPECT_EQ(panel->SplitterPos(), 367);
    EXPECT_EQ(bottom->height(), 80);
}

TEST_F(SplitterPanelTest, HiddenPanelIsNotClamped)
{
    panel->resize(460, 300);
    EXPECT_EQ(panel->SplitterPos(), 323);
}

TEST_F(SplitterPanelTest, WritingTheSamePositionFiresNoEvent)
{
    panel->SetSplitterPos(323);
    EXPECT_TRUE(changes.empty());
    panel->SetSplitterPos(330);
    EXPECT_EQ(changes, std::vector<int> { 330 });
    EXPECT_EQ(top->height(), 330);
}

TEST_F(SplitterPanelTest, LineStyleMovesThePanesOnRelease)
{
    panel->SetSplitterStyle(TacSplitterPanel::ssLine);
    Show();
    Drag(QPoint(100, 325), QPoint(100, 345));
    EXPECT_EQ(panel->SplitterPos(), 323);
    EXPECT_EQ(top->height(), 323);
    Release(QPoint(100, 345));
    EXPECT_EQ(panel->SplitterPos(), 343);
    EXPECT_EQ(top->height(), 343);
    EXPECT_EQ(changes, std::vector<int> { 343 });
}

TEST_F(SplitterPanelTest, PatternStyleShowsTheBarWhileDragging)
{
    panel->SetSplitterStyle(TacSplitterPanel::ssPattern);
    Show();
    const int childrenBefore = static_cast<int>(panel->children().size());
    Drag(QPoint(100, 324), QPoint(100, 310));
    EXPECT_EQ(static_cast<int>(panel->children().size()), childrenBefore + 1);
    Release(QPoint(100, 310));
    EXPECT_EQ(static_cast<int>(panel->children().size()), childrenBefore);
    EXPECT_EQ(panel->SplitterPos(), 309);
}

TEST_F(SplitterPanelTest, LockedOrNoResizeSplitterCannotBeDragged)
{
    Show();
    panel->SetSplitterLocked(true);
    Drag(QPoint(100, 324), QPoint(100, 340));
    Release(QPoint(100, 340));
    panel->SetSplitterLocked(false);
    panel->SetNoResize(true);
    Drag(QPoint(100, 324), QPoint(100, 340));
    Release(QPoint(100, 340));
    EXPECT_EQ(panel->SplitterPos(), 323);
}

TEST_F(SplitterPanelTest, CursorChangesOnlyOverAnUnlockedBar)
{
    Show();
    QTest::mouseMove(panel.get(), QPoint(100, 324));
    EXPECT_EQ(panel->cursor().shape(), Qt::SizeVerCursor);
    QTest::mouseMove(panel.get(), QPoint(100, 320));
    EXPECT_EQ(panel->cursor().shape(), Qt::ArrowCursor);
    panel->SetSplitterLocked(true);
    QTest::mouseMove(panel.get(), QPoint(100, 324));
    EXPECT_EQ(panel->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(SplitterPanelTest, ProportionalPanesScaleWithThePanel)
{
    panel->SetProportionalPanes(true);
    top->SetMinSize(0);
    Show();
    panel->resize(460, 886);
    EXPECT_EQ(panel->SplitterPos(), 646);
}

TEST_F(SplitterPanelTest, ResizingTheFixedPaneMovesTheSplitter)
{
    Show();
    top->resize(460, 310);
    EXPECT_EQ(panel->SplitterPos(), 310);
    EXPECT_EQ(bottom->geometry(), QRect(0, 313, 460, 130));
}

TEST_F(SplitterPanelTest, HiddenPaneLetsTheOtherFillThePanel)
{
    Show();
    bottom->hide();
    EXPECT_EQ(top->geometry(), QRect(0, 0, 460, 443));
    EXPECT_TRUE(panel->SplitterRect().isNull());
    bottom->show();
    EXPECT_EQ(top->geometry(), QRect(0, 0, 460, 323));
}

TEST_F(SplitterPanelTest, PaneHiddenWhileTheWindowIsHiddenTakesNoSpace)
{
    Show();
    panel->hide();
    top->hide();
    panel->show();
    EXPECT_EQ(bottom->geometry(), QRect(0, 0, 460, 443));
}

TEST_F(SplitterPanelTest, BorderWidthInsetsThePanes)
{
    panel->SetBorderWidth(2);
    Show();
    EXPECT_EQ(top->geometry(), QRect(2, 2, 456, 323));
    EXPECT_EQ(bottom->geometry(), QRect(2, 328, 456, 443 - 330));
}

TEST_F(SplitterPanelTest, DeletedPaneLeavesTheOtherAsFirst)
{
    delete top;
    EXPECT_EQ(panel->Pane1(), bottom);
    EXPECT_EQ(panel->Pane2(), nullptr);
    EXPECT_FALSE(panel->IsSplitter());
}

TEST(SplitterPanelSideways, LeftPaneGivesAVerticalSplitDraggedAlongX)
{
    TacSplitterPanel panel;
    panel.resize(400, 200);
    auto* left = new TacSplitterPanel(&panel);
    left->SetAlign(TacSplitterPanel::alLeft);
    left->SetPane(true);
    auto* right = new TacSplitterPanel(&panel);
    right->SetAlign(TacSplitterPanel::alClient);
    right->SetPane(true);
    panel.SetSplitterPos(100);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_TRUE(panel.IsVerticalSplit());
    EXPECT_EQ(right->geometry(), QRect(103, 0, 297, 200));
    QTest::mouseMove(&panel, QPoint(101, 50));
    EXPECT_EQ(panel.cursor().shape(), Qt::SizeHorCursor);
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(101, 50));
    QTest::mouseMove(&panel, QPoint(151, 50));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(151, 50));
    EXPECT_EQ(panel.SplitterPos(), 150);
    EXPECT_EQ(left->width(), 150);
}

TEST(SplitterPanelSideways, FixedSecondPaneIsDraggedFromTheFarEdge)
{
    TacSplitterPanel panel;
    panel.resize(400, 200);
    auto* left = new TacSplitterPanel(&panel);
    left->SetAlign(TacSplitterPanel::alClient);
    left->SetPane(true);
    auto* right = new TacSplitterPanel(&panel);
    right->SetAlign(TacSplitterPanel::alRight);
    right->SetPane(true);
    panel.SetSplitterPos(100);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_EQ(panel.FixedPane(), right);
    EXPECT_EQ(right->geometry(), QRect(300, 0, 100, 200));
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(298, 50));
    QTest::mouseMove(&panel, QPoint(248, 50));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(248, 50));
    EXPECT_EQ(panel.SplitterPos(), 150);
    EXPECT_EQ(right->geometry(), QRect(250, 0, 150, 200));
}
