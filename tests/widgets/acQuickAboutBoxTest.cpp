#include "widgets/acQuickAboutBox.h"

#include "platform/Shell.h"
#include "widgets/acLabel.h"
#include "widgets/acRichLabel.h"
#include "widgets/acURLLabel.h"

#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "tests/support/QtPrinters.h"

namespace {

// The about box as the main window sets it up.
class AboutBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        previousShell = platform::SetShellHandler([this](const platform::ShellRequest& request) {
            opened.push_back(request.target);
            return true;
        });
        box.Caption = QStringLiteral("Tornalo");
        box.Copyright = QStringLiteral("Copyright 2026 the Tornalo authors");
        box.Description = QStringLiteral(
            "\r\nTornalo is one of the programs by [B]Quorvex\r\n\r\n[]It sends text through "
            "a translation service and back again for amusing results.\r\n ");
        box.Email = QStringLiteral("https://quorvex.example.org/");
        box.EmailText = QStringLiteral("https://quorvex.example.org/");
        box.EmailIsWWW = true;
        box.WebSite = QStringLiteral("https://quorvex.example.org/tornalo/");
        box.Width = 460;
        box.AnimationOnShow = false;
        box.AnimationOnHide = false;
    }

    void TearDown() override { platform::SetShellHandler(previousShell); }

    // Where each row must go, worked out from the heights of the parts.
    struct Rows {
        int bevel1;
        int description;
        int bevel2;
        int email;
        int web;
        int ok;
        int height;
    };

    static Rows Expected(const TacQuickAboutBoxForm& form, bool withDescription)
    {
        Rows rows {};
        int y = 28 + form.CopyrightLabel->height();
        rows.bevel1 = y + 2;
        y += 7;
        if (withDescription) {
            rows.description = y;
            y += form.DescriptionLabel->height() + 2;
            rows.bevel2 = y;
            y += 5;
        }
        rows.email = y;
        y += form.EmailLab->height();
        rows.web = y;
        y += form.WWWLab->height() + 6;
        rows.ok = y;
        rows.height = y + 24 + 6;
        return rows;
    }

    TacQuickAboutBox box;
    platform::ShellHandler previousShell;
    std::vector<std::string> opened;
};

} // namespace

TEST(AboutBoxDefaults, MatchTheComponentsDesign)
{
    TacQuickAboutBox box;
    EXPECT_EQ(box.Caption, QStringLiteral("Program Name"));
    EXPECT_FALSE(box.Copyright.isEmpty());
    EXPECT_TRUE(box.Description.isEmpty());
    EXPECT_EQ(box.DescriptionColor, QApplication::palette().color(QPalette::HighlightedText));
    EXPECT_FALSE(box.Email.isEmpty());
    EXPECT_TRUE(box.EmailText.isEmpty());
    EXPECT_FALSE(box.EmailIsWWW);
    EXPECT_FALSE(box.WebSite.isEmpty());
    EXPECT_EQ(box.Width, 260);
    EXPECT_EQ(box.Position, TacQuickAboutBox::poMainFormCenter);
    EXPECT_TRUE(box.ShowBevels);
    EXPECT_FALSE(box.ShowFrames);
    EXPECT_TRUE(box.ShowHints);
    EXPECT_TRUE(box.AnimationOnShow);
    EXPECT_TRUE(box.AnimationOnHide);
    EXPECT_EQ(box.AnimationDelay, 80);
    EXPECT_TRUE(box.GradientBackground.Enabled);
    EXPECT_EQ(box.GradientBackground.Direction, gdHorizontal);
    EXPECT_EQ(box.Cursors.Links, Qt::PointingHandCursor);
    EXPECT_EQ(box.Cursors.Client, Qt::ArrowCursor);
    EXPECT_EQ(box.Localization.stAbout, QStringLiteral("About"));
    EXPECT_EQ(box.Localization.stOK, QStringLiteral("OK"));
}

TEST_F(AboutBoxTest, CaptionsAndWidthsComeFromTheProperties)
{
    const auto form = box.CreateForm();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("About Tornalo. . ."));
    EXPECT_EQ(form->OKBtn->text(), QStringLiteral("OK"));
    EXPECT_EQ(form->TitleLabel->text(), QStringLiteral("Tornalo"));
    EXPECT_EQ(form->width(), 460);
    EXPECT_EQ(form->TitleLabel->geometry(), QRect(4, 4, 456, 21));
    EXPECT_EQ(form->Bevel1->width(), 460 - 34 - 17);
    EXPECT_EQ(form->Bevel2->width(), 460 - 34 - 17);
    EXPECT_EQ(form->CopyrightLabel->geometry().topLeft(), QPoint(42, 28));
    EXPECT_EQ(form->CopyrightLabel->width(), 249);
    EXPECT_EQ(form->CopyrightLabel->Caption(), box.Copyright);
    EXPECT_FALSE(form->Icon->isVisibleTo(form.get()));
}

TEST_F(AboutBoxTest, PartsStackWithADescription)
{
    const auto form = box.CreateForm();
    const Rows rows = Expected(*form, true);
    EXPECT_EQ(form->Bevel1->y(), rows.bevel1);
    EXPECT_EQ(form->DescriptionLabel->geometry(),
        QRect(34, rows.description, 409, form->DescriptionLabel->TextHeight()));
    EXPECT_GE(form->DescriptionLabel->height(), 6 * QFontMetrics(form->font()).height());
    EXPECT_EQ(form->Bevel2->y(), rows.bevel2);
    EXPECT_EQ(form->EmailLabel->pos(), QPoint(34, rows.email));
    EXPECT_EQ(form->EmailLab->y(), rows.email);
    EXPECT_EQ(form->WWWLabel->pos(), QPoint(34, rows.web));
    EXPECT_EQ(form->WWWLab->y(), rows.web);
    EXPECT_EQ(form->OKBtn->geometry(), QRect(460 / 2 - 91 / 2, rows.ok, 91, 24));
    EXPECT_EQ(form->height(), rows.height);
    EXPECT_TRUE(form->Bevel1->isVisibleTo(form.get()));
    EXPECT_TRUE(form->Bevel2->isVisibleTo(form.get()));
}

TEST_F(AboutBoxTest, WithoutADescriptionTheLinksFollowTheFirstBevel)
{
    box.Description.clear();
    const auto form = box.CreateForm();
    const Rows rows = Expected(*form, false);
    EXPECT_EQ(form->EmailLab->y(), 28 + form->CopyrightLabel->height() + 7);
    EXPECT_EQ(form->EmailLab->y(), rows.email);
    EXPECT_EQ(form->WWWLab->y(), rows.web);
    EXPECT_EQ(form->OKBtn->y(), rows.ok);
    EXPECT_EQ(form->height(), rows.height);
    EXPECT_TRUE(form->Bevel1->isVisibleTo(form.get()));
    EXPECT_FALSE(form->Bevel2->isVisibleTo(form.get()));
    EXPECT_FALSE(form->DescriptionLabel->isVisibleTo(form.get()));
}

TEST_F(AboutBoxTest, LongerCopyrightPushesEverythingDown)
{
    const auto shortForm = box.CreateForm();
    box.Copyright = QStringLiteral("a notice that is long enough to wrap over several lines of "
                                   "the copyright label, which keeps its designed width");
    const auto longForm = box.CreateForm();
    const int grown = longForm->CopyrightLabel->height() - shortForm->CopyrightLabel->height();
    EXPECT_GT(grown, 0);
    EXPECT_EQ(longForm->OKBtn->y() - shortForm->OKBtn->y(), grown);
}

TEST_F(AboutBoxTest, LinksStandInOneColumnClearOfTheirCaptions)
{
    const auto form = box.CreateForm();
    EXPECT_GE(form->EmailLab->x(), 72);
    EXPECT_EQ(form->WWWLab->x(), form->EmailLab->x());
    EXPECT_GT(form->EmailLab->x(), form->EmailLabel->geometry().right());
    EXPECT_GT(form->WWWLab->x(), form->WWWLabel->geometry().right());
}

TEST_F(AboutBoxTest, BevelsHiddenWhenTurnedOff)
{
    box.ShowBevels = false;
    const auto form = box.CreateForm();
    EXPECT_FALSE(form->Bevel1->isVisibleTo(form.get()));
    EXPECT_FALSE(form->Bevel2->isVisibleTo(form.get()));
}

TEST_F(AboutBoxTest, FramedDescriptionGetsColourFrameShadowAndMargins)
{
    box.ShowFrames = true;
    box.DescriptionColor = Qt::yellow;
    const auto form = box.CreateForm();
    const TacRichLabel& label = *form->DescriptionLabel;
    EXPECT_TRUE(label.ShowFrame());
    EXPECT_TRUE(label.ShowShadow());
    EXPECT_EQ(label.MarginHorz(), 10);
    EXPECT_EQ(label.MarginVert(), 4);
    EXPECT_EQ(label.Color(), QColor(Qt::yellow));
    EXPECT_EQ(form->Bevel2->y(), label.y() + label.height() + 2);
}

TEST_F(AboutBoxTest, EmailRowAsWebLinkShowsItsText)
{
    box.EmailText = QStringLiteral("Quorvex on the web");
    const auto form = box.CreateForm();
    EXPECT_EQ(form->EmailLab->text(), QStringLiteral("Quorvex on the web"));
    EXPECT_EQ(form->EmailLab->Kind(), TacURLLabel::ukWWW);
    EXPECT_EQ(form->EmailLab->URL(), box.Email);
    EXPECT_EQ(form->EmailLab->toolTip(), box.Email);
    form->EmailLab->Open();
    EXPECT_EQ(opened, std::vector<std::string> { "https://quorvex.example.org/" });
}

TEST_F(AboutBoxTest, EmailRowAsWebLinkWithoutTextShowsAndOpensTheAddress)
{
    box.EmailText.clear();
    const auto form = box.CreateForm();
    EXPECT_EQ(form->EmailLab->text(), box.Email);
    EXPECT_EQ(form->EmailLab->Kind(), TacURLLabel::ukWWW);
    form->EmailLab->Open();
    EXPECT_EQ(opened, std::vector<std::string> { "https://quorvex.example.org/" });
}

TEST_F(AboutBoxTest, PlainEmailRowComposesAMail)
{
    box.EmailIsWWW = false;
    box.Email = QStringLiteral("someone@example.org");
    const auto form = box.CreateForm();
    EXPECT_EQ(form->EmailLab->Kind(), TacURLLabel::ukEmail);
    form->EmailLab->Open();
    EXPECT_EQ(opened, std::vector<std::string> { "mailto:someone@example.org" });
}

TEST_F(AboutBoxTest, WebRowOpensTheWebSite)
{
    const auto form = box.CreateForm();
    EXPECT_EQ(form->WWWLab->text(), box.WebSite);
    EXPECT_EQ(form->WWWLab->toolTip(), box.WebSite);
    EXPECT_EQ(form->WWWLab->cursor().shape(), Qt::PointingHandCursor);
    form->WWWLab->show();
    QTest::mouseClick(form->WWWLab, Qt::LeftButton);
    EXPECT_EQ(opened, std::vector<std::string> { "https://quorvex.example.org/tornalo/" });
}

TEST_F(AboutBoxTest, NoHintsWhenTurnedOff)
{
    box.ShowHints = false;
    const auto form = box.CreateForm();
    EXPECT_TRUE(form->EmailLab->toolTip().isEmpty());
    EXPECT_TRUE(form->WWWLab->toolTip().isEmpty());
}

TEST_F(AboutBoxTest, IconIsShownWhenThereIsOne)
{
    QPixmap icon(48, 48);
    icon.fill(Qt::red);
    box.Icon = icon;
    const auto form = box.CreateForm();
    EXPECT_TRUE(form->Icon->isVisibleTo(form.get()));
    EXPECT_EQ(form->Icon->geometry(), QRect(4, 4, 48, 48));
}

TEST_F(AboutBoxTest, ExecuteShowsModallyAndDestroysTheWindow)
{
    QPointer<TacQuickAboutBoxForm> shown;
    bool wasModal = false;
    QTimer::singleShot(0, qApp, [&] {
        shown = qobject_cast<TacQuickAboutBoxForm*>(QApplication::activeModalWidget());
        ASSERT_TRUE(shown);
        wasModal = shown->isModal();
        shown->OKBtn->click();
    });
    box.Execute();
    EXPECT_TRUE(wasModal);
    EXPECT_TRUE(shown.isNull());
}

TEST_F(AboutBoxTest, EscapeClosesLikeOk)
{
    QPointer<TacQuickAboutBoxForm> shown;
    int result = -1;
    QTimer::singleShot(0, qApp, [&] {
        shown = qobject_cast<TacQuickAboutBoxForm*>(QApplication::activeModalWidget());
        ASSERT_TRUE(shown);
        QObject::connect(shown, &QDialog::finished, qApp, [&result](int code) { result = code; });
        QTest::keyClick(shown, Qt::Key_Escape);
    });
    box.Execute();
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(shown.isNull());
}

TEST_F(AboutBoxTest, AnimatedCloseStillDestroysTheWindow)
{
    box.AnimationOnShow = true;
    box.AnimationOnHide = true;
    box.AnimationDelay = 20;
    QPointer<TacQuickAboutBoxForm> shown;
    QTimer::singleShot(30, qApp, [&] {
        shown = qobject_cast<TacQuickAboutBoxForm*>(QApplication::activeModalWidget());
        ASSERT_TRUE(shown);
        shown->OKBtn->click();
    });
    box.Execute();
    EXPECT_TRUE(shown.isNull());
}

TEST_F(AboutBoxTest, TopmostOwnerGivesATopmostAboutWindowAndStaysTopmost)
{
    QWidget owner;
    owner.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    owner.resize(400, 400);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    TacQuickAboutBox owned(&owner);
    owned.AnimationOnShow = owned.AnimationOnHide = false;
    bool topmost = false;
    QPoint centreOffset;
    QTimer::singleShot(0, qApp, [&] {
        auto* shown = qobject_cast<TacQuickAboutBoxForm*>(QApplication::activeModalWidget());
        ASSERT_TRUE(shown);
        topmost = shown->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        centreOffset = shown->frameGeometry().center() - owner.frameGeometry().center();
        shown->accept();
    });
    owned.Execute();
    EXPECT_TRUE(topmost);
    EXPECT_LE(std::abs(centreOffset.x()), 2);
    EXPECT_LE(std::abs(centreOffset.y()), 2);
    EXPECT_TRUE(owner.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(AboutGradient, TwoHundredFiftyFiveEqualBandsFromFirstToSecondColour)
{
    const auto bands = GradientBands(QSize(510, 40), gdHorizontal, Qt::black, Qt::white);
    ASSERT_EQ(bands.size(), 255u);
    EXPECT_EQ(bands.front().color, QColor(Qt::black));
    EXPECT_EQ(bands.back().color, QColor(Qt::white));
    EXPECT_EQ(bands[127].color, QColor(127, 127, 127));
    int x = 0;
    for (const GradientBand& band : bands) {
        EXPECT_EQ(band.rect, QRect(x, 0, 2, 40));
        x += 2;
    }
}

TEST(AboutGradient, VerticalBandsRunTopToBottomAndCoverTheArea)
{
    const auto bands = GradientBands(QSize(30, 300), gdVertical, Qt::red, Qt::blue);
    EXPECT_EQ(bands.front().rect.top(), 0);
    EXPECT_EQ(bands.back().rect.bottom(), 299);
    EXPECT_EQ(bands.back().rect.width(), 30);
    for (std::size_t i = 1; i < bands.size(); ++i)
        EXPECT_EQ(bands[i].rect.top(), bands[i - 1].rect.bottom() + 1);
}

TEST(AboutTitle, TextIsDrawnWithShadowAndHighlight)
{
    TacLabel title;
    title.setText(QStringLiteral("Tornalo"));
    title.resize(120, 24);
    QPalette colours = title.palette();
    colours.setColor(QPalette::Light, QColor(255, 0, 0));
    colours.setColor(QPalette::HighlightedText, QColor(0, 0, 255));
    colours.setColor(QPalette::WindowText, QColor(0, 0, 0));
    colours.setColor(QPalette::Window, QColor(255, 255, 255));
    title.setPalette(colours);
    QImage image(title.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    title.render(&image);
    int red = 0, blue = 0, black = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            red += pixel == qRgb(255, 0, 0);
            blue += pixel == qRgb(0, 0, 255);
            black += pixel == qRgb(0, 0, 0);
        }
    EXPECT_GT(red, 0);
    EXPECT_GT(blue, 0);
    EXPECT_GT(black, 0);
}

TEST(AboutLinks, BlueRedWhenOverYellowWhilePressed)
{
    TacURLLabel link;
    link.setText(QStringLiteral("https://example.org/"));
    link.adjustSize();
    link.show();
    EXPECT_EQ(link.CurrentColor(), QColor(Qt::blue));
    EXPECT_TRUE(link.font().underline());
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&link, &enter);
    EXPECT_EQ(link.CurrentColor(), QColor(Qt::red));
    QTest::mousePress(&link, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(link.CurrentColor(), QColor(Qt::yellow));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&link, &leave);
    EXPECT_EQ(link.CurrentColor(), QColor(Qt::blue));
}

TEST(AboutLinks, WebLinkWithoutAddressDoesNothing)
{
    std::vector<std::string> opened;
    const auto previous = platform::SetShellHandler([&opened](const platform::ShellRequest& r) {
        opened.push_back(r.target);
        return true;
    });
    TacURLLabel link;
    link.SetKind(TacURLLabel::ukWWW);
    link.setText(QStringLiteral("nowhere"));
    link.Open();
    platform::SetShellHandler(previous);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(link.URLInNewWindow());
}
