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
