#include "widgets/acAttachedLabel.h"
#include "widgets/acEdit.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include "tests/support/QtPrinters.h"

using Label = TacAttachedLabel;

namespace {

struct PlacementCase {
    Label::TLabelPosition position;
    Label::TSpacingKind kind;
    QPoint expected;
};

// Edit at 100, 50, 30 x 21; label 40 x 13; spacing 4.
class AttachedLabelPlacement : public testing::TestWithParam<PlacementCase> { };

} // namespace

TEST_P(AttachedLabelPlacement, FollowsThePlacementTable)
{
    const PlacementCase& c = GetParam();
    EXPECT_EQ(AttachedLabelOrigin(QRect(100, 50, 30, 21), QSize(40, 13), c.position, 4, c.kind),
        c.expected);
}

INSTANTIATE_TEST_SUITE_P(EveryPositionAndKind, AttachedLabelPlacement,
    testing::Values(PlacementCase { Label::lpAbove, Label::skNearPoint, { 100, 33 } },
        PlacementCase { Label::lpAbove, Label::skFarPoint, { 100, 46 } },
        PlacementCase { Label::lpBelow, Label::skNearPoint, { 100, 75 } },
        PlacementCase { Label::lpBelow, Label::skFarPoint, { 100, 62 } },
        PlacementCase { Label::lpLeft, Label::skNearPoint, { 56, 54 } },
        PlacementCase { Label::lpLeft, Label::skFarPoint, { 96, 54 } },
        PlacementCase { Label::lpRight, Label::skNearPoint, { 134, 54 } },
        PlacementCase { Label::lpRight, Label::skFarPoint, { 94, 54 } },
        PlacementCase { Label::lpAboveCenter, Label::skNearPoint, { 95, 33 } },
        PlacementCase { Label::lpAboveCenter, Label::skFarPoint, { 95, 46 } },
        PlacementCase { Label::lpBelowCenter, Label::skNearPoint, { 95, 75 } },
        PlacementCase { Label::lpBelowCenter, Label::skFarPoint, { 95, 62 } }));

TEST(AttachedLabelPlacementHalving, LargerLabelIsStillCentredOnTheEdit)
{
    EXPECT_EQ(AttachedLabelOrigin(QRect(10, 10, 20, 10), QSize(31, 15), Label::lpAboveCenter, 0,
                  Label::skNearPoint),
        QPoint(5, -5));
    EXPECT_EQ(AttachedLabelOrigin(
                  QRect(10, 10, 20, 10), QSize(31, 15), Label::lpRight, 0, Label::skNearPoint),
        QPoint(30, 8));
}

namespace {

// The main window's Loops box: 30 x 21 with "Loops" on its right.
class AttachedLabelTest : public testing::Test {
protected:
    void SetUp() override
    {
        window.resize(300, 200);
        edit = new TacNumberEdit(&window);
        edit->setGeometry(20, 30, 30, 21);
        label = edit->AttachedLabel();
        label->SetCaption(QStringLiteral("Loops"));
        label->SetPosition(Label::lpRight);
        label->SetTransparent(true);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QLabel* Control() const { return label->Label(); }

    QWidget window;
    TacNumberEdit* edit = nullptr;
    Label* label = nullptr;
};

} // namespace

TEST_F(AttachedLabelTest, LoopsLabelSitsFourPixelsRightAndCentred)
{
    EXPECT_EQ(Control()->parentWidget(), &window);
    EXPECT_EQ(Control()->text(), QStringLiteral("Loops"));
    EXPECT_TRUE(Control()->isVisible());
    EXPECT_EQ(Control()->x(), 20 + 30 + 4);
    EXPECT_EQ(Control()->y(), 30 + (21 - Control()->height()) / 2);
    EXPECT_FALSE(Control()->autoFillBackground());
}

TEST_F(AttachedLabelTest, DefaultsAreLeftWithFourPixels)
{
    TacAttachedLabel fresh(edit);
    EXPECT_EQ(fresh.Position(), Label::lpLeft);
    EXPECT_EQ(fresh.Spacing(), 4);
    EXPECT_EQ(fresh.SpacingKind(), Label::skNearPoint);
    EXPECT_TRUE(fresh.FocusOnClick());
    EXPECT_TRUE(fresh.Visible());
}

TEST_F(AttachedLabelTest, FollowsTheEditsMovesAndSize)
{
    edit->move(100, 80);
    EXPECT_EQ(Control()->x(), 134);
    edit->resize(60, 41);
    EXPECT_EQ(Control()->x(), 164);
    EXPECT_EQ(Control()->y(), 80 + (41 - Control()->height()) / 2);
}

TEST_F(AttachedLabelTest, PlacesAgainWhenPositionSpacingOrKindChange)
{
    label->SetSpacing(10);
    EXPECT_EQ(Control()->x(), 60);
    label->SetSpacingKind(Label::skFarPoint);
    EXPECT_EQ(Control()->x(), 60 - Control()->width());
    label->SetPosition(Label::lpBelow);
    EXPECT_EQ(Control()->pos(), QPoint(20, 30 + 21 + 10 - Control()->height()));
}

TEST_F(AttachedLabelTest, FollowsTheEditToANewParent)
{
    QWidget other(&window);
    other.setGeometry(0, 100, 200, 100);
    other.show();
    edit->setParent(&other);
    edit->show();
    EXPECT_EQ(Control()->parentWidget(), &other);
    EXPECT_TRUE(Control()->isVisible());
    EXPECT_EQ(Control()->x(), 54);
    edit->setParent(&window);
}

TEST_F(AttachedLabelTest, FollowsVisibilityAndItsOwnVisibleFlag)
{
    edit->hide();
    EXPECT_FALSE(Control()->isVisible());
    edit->show();
    EXPECT_TRUE(Control()->isVisible());
    label->SetVisible(false);
    EXPECT_FALSE(Control()->isVisible());
    edit->hide();
    edit->show();
    EXPECT_FALSE(Control()->isVisible());
}

TEST_F(AttachedLabelTest, FollowsTheEnabledState)
{
    edit->setEnabled(false);
    EXPECT_FALSE(Control()->isEnabled());
    edit->setEnabled(true);
    EXPECT_TRUE(Control()->isEnabled());
}

TEST_F(AttachedLabelTest, ClickGivesTheEditFocusUnlessTurnedOff)
{
    QLineEdit elsewhere(&window);
    elsewhere.move(150, 150);
    elsewhere.show();
    window.activateWindow();
    elsewhere.setFocus();
    label->SetFocusOnClick(false);
    QTest::mouseClick(Control(), Qt::LeftButton);
    EXPECT_FALSE(edit->hasFocus());
    label->SetFocusOnClick(true);
    QTest::mouseClick(Control(), Qt::LeftButton);
    EXPECT_TRUE(edit->hasFocus());
}

TEST_F(AttachedLabelTest, OpaqueLabelFillsItsBackground)
{
    label->SetTransparent(false);
    label->SetColor(Qt::red);
    EXPECT_TRUE(Control()->autoFillBackground());
    EXPECT_EQ(Control()->palette().color(QPalette::Window), QColor(Qt::red));
}

TEST_F(AttachedLabelTest, LabelGoesWithTheEdit)
{
    QPointer<QLabel> control = Control();
    delete edit;
    EXPECT_TRUE(control.isNull());
}
