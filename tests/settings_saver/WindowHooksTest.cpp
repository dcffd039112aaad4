#include "platform/WindowHooks.h"
#include "TestForm.h"
#include "platform/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <string>

using platform::WindowEvents;

class WindowHooksTest : public testing::Test {
protected:
    TestForm form;
    WindowEvents* events = WindowEvents::Of(&form);
    std::string log;
};

TEST_F(WindowHooksTest, EachWindowHasOneEventsObject)
{
    EXPECT_EQ(WindowEvents::Of(&form), events);
}

TEST_F(WindowHooksTest, ShowAndHideFireTheirHandlers)
{
    events->OnShow = [this](QObject*) { log += "show "; };
    events->OnHide = [this](QObject*) { log += "hide "; };
    form.show();
    form.hide();
    EXPECT_EQ(log, "show hide ");
}

TEST_F(WindowHooksTest, CreationAndDestructionAreReportedByTheWindow)
{
    events->OnCreate = [this](QObject* sender) { log += sender == &form ? "create " : "?"; };
    events->OnDestroy = [this](QObject*) { log += "destroy"; };
    events->NotifyCreated();
    events->NotifyDestroying();
    EXPECT_EQ(log, "create destroy");
}

TEST_F(WindowHooksTest, RefusedCloseQueryKeepsTheWindowOpen)
{
    form.show();
    events->OnCloseQuery = [](QObject*, bool& canClose) { canClose = false; };
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    events->OnCloseQuery = nullptr;
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
}

TEST_F(WindowHooksTest, AHandlerMayReplaceItselfWhileItRuns)
{
    events->OnCreate = [this](QObject*) {
        events->OnCreate = [this](QObject*) { log += "second "; };
        log += "first ";
    };
    events->NotifyCreated();
    events->NotifyCreated();
    EXPECT_EQ(log, "first second ");
}

TEST_F(WindowHooksTest, ActivationFiresItsHandler)
{
    events->OnActivate = [this](QObject*) { log += "activate "; };
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(log, "activate ");
}

TEST_F(WindowHooksTest, ScreenCentreRuleCentresTheWindowWhenShown)
{
    events->SetPosition(platform::WindowPosition::ScreenCenter);
    form.show();
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((form.frameGeometry().center() - centre).manhattanLength(), 2);
}

class WindowPlacementTest : public testing::Test {
protected:
    TestForm form;
};

TEST_F(WindowPlacementTest, NormalWindowGivesItsFrameRectangle)
{
    form.show();
    form.move(40, 50);
    const auto placement = platform::GetWindowPlacement(&form);
    EXPECT_EQ(placement.showCommand, platform::ShowNormal);
    EXPECT_EQ(placement.left, form.frameGeometry().left());
    EXPECT_EQ(placement.top, form.frameGeometry().top());
    EXPECT_EQ(placement.right - placement.left, form.frameGeometry().width());
    EXPECT_EQ(placement.bottom - placement.top, form.frameGeometry().height());
    EXPECT_EQ(placement.minimizedPosition.x, -1);
    EXPECT_EQ(placement.maximizedPosition.y, -1);
}

TEST_F(WindowPlacementTest, MaximizedWindowKeepsItsNormalRectangle)
{
    form.show();
    const QRect normal = form.frameGeometry();
    form.showMaximized();
    QTRY_VERIFY(form.isMaximized());
    const auto placement = platform::GetWindowPlacement(&form);
    EXPECT_EQ(placement.showCommand, platform::ShowMaximized);
    EXPECT_EQ(placement.left, normal.left());
    EXPECT_EQ(placement.bottom - placement.top, normal.height());
}

TEST_F(WindowPlacementTest, HiddenCommandPlacesWithoutShowing)
{
    platform::WindowPlacementRecord placement;
    placement.showCommand = platform::ShowHidden;
    placement.left = 30;
    placement.top = 40;
    placement.right = 330;
    placement.bottom = 290;
    platform::SetWindowPlacement(&form, placement);
    EXPECT_FALSE(form.isVisible());
    form.show();
    EXPECT_EQ(form.frameGeometry().topLeft(), QPoint(30, 40));
    EXPECT_EQ(form.frameGeometry().size(), QSize(300, 250));
}

TEST_F(WindowPlacementTest, PlacementOfAMaximizedWindowSetsTheRectangleItRestoresTo)
{
    form.show();
    form.showMaximized();
    QTRY_VERIFY(form.isMaximized());
    auto placement = platform::GetWindowPlacement(&form);
    placement.left = 60;
    placement.top = 70;
    placement.right = 460;
    placement.bottom = 370;
    platform::SetWindowPlacement(&form, placement);
    EXPECT_TRUE(form.isMaximized());
    form.showNormal();
    QTRY_VERIFY(!form.isMaximized());
    QTRY_COMPARE(form.frameGeometry(), QRect(60, 70, 400, 300));
}

// A window larger than its screen, or placed on screens that are no longer
// there, must still show its title bar where a person can grab it.
struct ReachCase {
    const char* what;
    QRect frame;
    QPoint expected;
};

class ReachablePositionTest : public testing::TestWithParam<ReachCase> { };

TEST_P(ReachablePositionTest, KeepsOrMovesTheFrameAsItsTitleBarShows)
{
    const std::vector<QRect> areas { QRect(0, 0, 800, 600), QRect(800, 100, 1024, 768) };
    EXPECT_EQ(platform::ReachablePosition(GetParam().frame, areas), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Frames, ReachablePositionTest,
    testing::Values(ReachCase { "on the first screen", { 40, 50, 300, 200 }, { 40, 50 } },
        ReachCase { "partly beyond the right edge", { 700, 50, 300, 200 }, { 700, 50 } },
        ReachCase { "on the second screen", { 1200, 300, 300, 200 }, { 1200, 300 } },
        ReachCase { "title bar above the screen", { 40, -10, 300, 200 }, { 40, 0 } },
        ReachCase { "far beyond every screen", { 5000, 4000, 300, 200 }, { 500, 400 } },
        ReachCase { "left of every screen", { -400, 50, 300, 200 }, { 0, 50 } },
        ReachCase { "larger than the first screen", { -100, -80, 900, 700 }, { 0, 0 } },
        ReachCase { "title bar only 10 pixels in", { 790, 50, 300, 200 }, { 500, 50 } }));

TEST(CentredWithin, CentresAFrameThatFitsAndKeepsALargerOneAtTheTopLeft)
{
    const QRect area(10, 20, 800, 600);
    EXPECT_EQ(platform::CentredWithin(area, QSize(400, 300)), QPoint(209, 169));
    EXPECT_EQ(platform::CentredWithin(area, QSize(1000, 300)), QPoint(10, 169));
    EXPECT_EQ(platform::CentredWithin(area, QSize(400, 900)), QPoint(209, 20));
}

TEST_F(WindowPlacementTest, PlacementOnAScreenNoLongerThereComesBackWithinReach)
{
    platform::WindowPlacementRecord placement;
    placement.left = 6000;
    placement.top = -3000;
    placement.right = 6300;
    placement.bottom = -2750;
    platform::SetWindowPlacement(&form, placement);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(form.frameGeometry().topLeft()));
    EXPECT_EQ(form.frameGeometry().size(), QSize(300, 250));
}
