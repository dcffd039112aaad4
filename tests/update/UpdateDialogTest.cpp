#include "tests/support/QtPrinters.h"
#include "tests/update/UpdateTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

UpdateDialogTexts FullTexts()
{
    return { "http://tornalo.example/", "http://updater.example/", "Update Check for: Tornalo",
        "A new version of Tornalo is available (v1.10.02).\r\n\r\nYou can now visit "
        "the web page and download the latest update.",
        "@v1.10.02\r\nFaster.\r\n" };
}

template <typename Control> Control* Find(const QWidget& dialog, int id)
{
    return dialog.findChild<Control*>(QString::number(id));
}

} // namespace

class UpdateDialogTest : public testing::Test {
protected:
    void Open(const UpdateDialogTexts& texts)
    {
        dialog = std::make_unique<UpdateDialog>(texts);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    QPushButton* Button(int id) const { return Find<QPushButton>(*dialog, id); }

    ShellRecorder shell;
    std::unique_ptr<UpdateDialog> dialog;
};

TEST_F(UpdateDialogTest, ShowsItsTextsInTheirControls)
{
    Open(FullTexts());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Update Check for: Tornalo"));
    auto* topLine = Find<QTextEdit>(*dialog, idTopLine);
    auto* heading = Find<QLineEdit>(*dialog, idWhatsNewHeading);
    auto* whatsNew = Find<QPlainTextEdit>(*dialog, idWhatsNew);
    ASSERT_TRUE(topLine && heading && whatsNew);
    EXPECT_EQ(topLine->toPlainText(),
        QStringLiteral("A new version of Tornalo is available (v1.10.02).\n\nYou "
                       "can now visit the web page and download the latest update."));
    EXPECT_EQ(heading->text(), QStringLiteral("WHAT'S NEW:"));
    EXPECT_EQ(whatsNew->toPlainText(), QStringLiteral("@v1.10.02\nFaster.\n"));
    EXPECT_TRUE(topLine->isReadOnly() && heading->isReadOnly() && whatsNew->isReadOnly());
}

TEST_F(UpdateDialogTest, OnlyTheWhatsNewBoxScrolls)
{
    Open(FullTexts());
    EXPECT_EQ(
        Find<QTextEdit>(*dialog, idTopLine)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(Find<QPlainTextEdit>(*dialog, idWhatsNew)->verticalScrollBarPolicy(),
        Qt::ScrollBarAlwaysOn);
}

TEST_F(UpdateDialogTest, ButtonsCarryTheirTextsWithABlankAtEachEnd)
{
    Open(FullTexts());
    EXPECT_EQ(Button(idVisitWebPage)->text(),
        QStringLiteral(" Visit program web page to download update. "));
    EXPECT_EQ(Button(idVisitUpdaterPage)->text(),
        QStringLiteral(" Visit QvUpdater web page for advanced update checking. "));
    EXPECT_EQ(Button(idDone)->text(), QStringLiteral(" Done. "));
}

TEST_F(UpdateDialogTest, NoButtonIsTheDefault)
{
    Open(FullTexts());
    for (const int id : { idVisitWebPage, idVisitUpdaterPage, idDone }) {
        EXPECT_FALSE(Button(id)->isDefault()) << id;
        EXPECT_FALSE(Button(id)->autoDefault()) << id;
    }
}

TEST_F(UpdateDialogTest, PageButtonsShowOnlyWithAnAddress)
{
    Open(FullTexts());
    EXPECT_TRUE(Button(idVisitWebPage)->isVisible());
    EXPECT_TRUE(Button(idVisitUpdaterPage)->isVisible());
    EXPECT_TRUE(Button(idDone)->isVisible());
    Open({ "", "", "c", "t", "w" });
    EXPECT_FALSE(Button(idVisitWebPage)->isVisible());
    EXPECT_FALSE(Button(idVisitUpdaterPage)->isVisible());
    EXPECT_TRUE(Button(idDone)->isVisible());
    Open({ "http://w/", "", "c", "t", "w" });
    EXPECT_TRUE(Button(idVisitWebPage)->isVisible());
    EXPECT_FALSE(Button(idVisitUpdaterPage)->isVisible());
}

TEST_F(UpdateDialogTest, DoneHasTheFocusAndComesFirstInTheTabOrder)
{
    Open(FullTexts());
    QApplication::setActiveWindow(dialog.get());
    EXPECT_EQ(dialog->focusWidget(), Button(idDone));
    EXPECT_EQ(Button(idDone)->nextInFocusChain(), Find<QWidget>(*dialog, idTopLine));
}

TEST_F(UpdateDialogTest, HasACaptionButNoCloseBox)
{
    Open(FullTexts());
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_TRUE(dialog->isModal());
}

TEST_F(UpdateDialogTest, IsLaidOutInDialogUnitsOfItsFont)
{
    Open({ "http://w/", "http://u/", "c", "Short.", "w" });
    const QFontMetrics metrics(dialog->font());
    const int down = metrics.height();
    const auto units = [down](int value) { return (value * down + 4) / 8; };
    EXPECT_EQ(dialog->height(), units(229));
    EXPECT_EQ(Find<QWidget>(*dialog, idTopLine)->height(), units(21));
    EXPECT_EQ(Find<QWidget>(*dialog, idWhatsNewHeading)->y(), units(32));
    EXPECT_EQ(Find<QWidget>(*dialog, idWhatsNew)->y(), units(42));
    EXPECT_EQ(Find<QWidget>(*dialog, idWhatsNew)->height(), units(151));
    EXPECT_EQ(Button(idDone)->y(), units(198));
    const QRect whatsNew = Find<QWidget>(*dialog, idWhatsNew)->geometry();
    EXPECT_NEAR(Button(idDone)->geometry().right(), whatsNew.right(), 2);
    EXPECT_EQ(Button(idVisitWebPage)->x(), whatsNew.x());
    EXPECT_LT(Button(idVisitWebPage)->geometry().right(), Button(idVisitUpdaterPage)->x());
    EXPECT_LT(Button(idVisitUpdaterPage)->geometry().right(), Button(idDone)->x());
}

TEST_F(UpdateDialogTest, ALongTopLineTakesRoomFromTheWhatsNewBox)
{
    const std::string address = "http://mirror.tornalo.example/a/rather/long/path/version.txt";
    Open({ "http://w/", "", "c",
        "Could not download internet version file for Tornalo at " + address + " (originally "
            + address
            + " before redirect)\r\n\r\nYou can visit the web "
              "page and check for updates manually.",
        "w" });
    const int down = QFontMetrics(dialog->font()).height();
    const auto units = [down](int value) { return (value * down + 4) / 8; };
    auto* topLine = Find<QTextEdit>(*dialog, idTopLine);
    const QRect whatsNew = Find<QWidget>(*dialog, idWhatsNew)->geometry();
    EXPECT_GT(topLine->height(), units(21));
    EXPECT_GE(topLine->height(), static_cast<int>(topLine->document()->size().height()));
    EXPECT_EQ(
        Find<QWidget>(*dialog, idWhatsNewHeading)->y(), units(32) + topLine->height() - units(21));
    EXPECT_GT(whatsNew.y(), topLine->geometry().bottom());
    EXPECT_EQ(whatsNew.bottom(), units(42) + units(151) - 1);
}

TEST_F(UpdateDialogTest, DoneEndsWithEight)
{
    Open(FullTexts());
    QTest::mouseClick(Button(idDone), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), endByDone);
}

TEST_F(UpdateDialogTest, EnterEndsWithOneWhereverTheFocusIs)
{
    Open(FullTexts());
    QTest::keyClick(Button(idDone), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), endByEnter);
    Open(FullTexts());
    QTest::keyClick(Find<QWidget>(*dialog, idWhatsNew), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), endByEnter);
}

TEST_F(UpdateDialogTest, EscapeAndCloseRequestsAreIgnored)
{
    Open(FullTexts());
    QTest::keyClick(Button(idDone), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->close());
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(UpdateDialogTest, SpaceOnDoneEndsWithEight)
{
    Open(FullTexts());
    QTest::keyClick(Button(idDone), Qt::Key_Space);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), endByDone);
}

TEST_F(UpdateDialogTest, PageButtonsOpenTheirAddressesAndLeaveTheDialogOpen)
{
    Open(FullTexts());
    QTest::mouseClick(Button(idVisitWebPage), Qt::LeftButton);
    QTest::mouseClick(Button(idVisitWebPage), Qt::LeftButton);
    QTest::mouseClick(Button(idVisitUpdaterPage), Qt::LeftButton);
    ASSERT_EQ(shell.opened.size(), 3u);
    EXPECT_EQ(shell.opened[0].target, "http://tornalo.example/");
    EXPECT_EQ(shell.opened[0].parameters, "");
    EXPECT_EQ(shell.opened[1].target, "http://tornalo.example/");
    EXPECT_EQ(shell.opened[2].target, "http://updater.example/");
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(UpdateDialogTest, AFailedOpenLeavesTheDialogOpen)
{
    Open(FullTexts());
    platform::SetShellHandler([](const platform::ShellRequest&) { return false; });
    QTest::mouseClick(Button(idVisitWebPage), Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible());
}

TEST(ShowUpdateDialog, RunsModallyUntilDone)
{
    bool wasModal = false;
    QTimer::singleShot(0, qApp, [&wasModal] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        wasModal = modal->windowTitle() == QStringLiteral("Caption");
        QTest::mouseClick(Find<QPushButton>(*modal, idDone), Qt::LeftButton);
    });
    EXPECT_EQ(ShowUpdateDialog("", "", "Caption", "top", "new"), endByDone);
    EXPECT_TRUE(wasModal);
}

TEST(ShowUpdateDialog, AHandlerAnswersInsteadOfTheDialog)
{
    DialogRecorder recorder;
    EXPECT_EQ(ShowUpdateDialog("w", "u", "c", "t", "n"), endByDone);
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0].webPage, "w");
    EXPECT_EQ(recorder.shown[0].updaterPage, "u");
    EXPECT_EQ(recorder.shown[0].caption, "c");
    EXPECT_EQ(recorder.shown[0].topLine, "t");
    EXPECT_EQ(recorder.shown[0].whatsNew, "n");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
