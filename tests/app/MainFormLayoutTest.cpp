// The window at its default size on this platform's fonts: every language
// in view without scrolling, every caption whole, the output separator on
// one line and ten lines of output in view.
#include "app/CheckListBox.h"
#include "app/MainFormUnit.h"
#include "app/Memo.h"
#include "app/StatusBar.h"
#include "run/RunReports.h"

#include "tests/support/Child.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TemporaryFolder.h"

#include <QAbstractButton>
#include <QLabel>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>

class MainFormLayout : public testing::Test {
protected:
    MainFormLayout()
    {
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    TemporaryFolder folder;
    TMainForm form { folder.Path() };
};

TEST_F(MainFormLayout, EveryLanguageLiesInsideTheChecklistsView)
{
    TCheckListBox* list = &Child<TCheckListBox>(form, "CheckListBoxLangs");
    const QRect view = list->viewport()->rect();
    for (int row = 0; row < list->Count(); ++row) {
        const QRect item = list->visualItemRect(list->item(row));
        EXPECT_TRUE(view.contains(item))
            << list->item(row)->text().toStdString() << " at " << item.x() << "," << item.y()
            << " outside " << view.width() << "x" << view.height();
    }
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
}

TEST_F(MainFormLayout, ColumnsAreWideEnoughForTheLongestNames)
{
    TCheckListBox* list = &Child<TCheckListBox>(form, "CheckListBoxLangs");
    for (int row = 0; row < list->Count(); ++row)
        EXPECT_GE(list->visualItemRect(list->item(row)).width(),
            list->sizeHintForIndex(list->model()->index(row, 0)).width())
            << list->item(row)->text().toStdString();
}

TEST_F(MainFormLayout, EveryCaptionShowsWhole)
{
    std::vector<std::string> cut;
    for (QAbstractButton* button : form.findChildren<QAbstractButton*>())
        if (button->isVisible() && button->width() < button->sizeHint().width())
            cut.push_back(button->text().toStdString());
    for (QLabel* label : form.findChildren<QLabel*>())
        if (label->isVisible() && label->width() < label->sizeHint().width())
            cut.push_back(label->text().toStdString());
    EXPECT_EQ(cut, std::vector<std::string> {});
    const QTabWidget& pages = Child<QTabWidget>(form, "PageControl1");
    QTabBar* tabs = pages.tabBar();
    EXPECT_LE(tabs->sizeHint().width(), pages.width());
}

TEST_F(MainFormLayout, OutputSeparatorStaysOnOneLine)
{
    TMemo& output = Child<TMemo>(form, "TranslatedTextMemo");
    output.SetText("Hello" + OutputSeparator + "Bonjour");
    QTest::qWait(0);
    const QTextBlock separator = output.document()->findBlockByNumber(1);
    ASSERT_EQ(separator.text(), QString(48, QLatin1Char('=')));
    EXPECT_EQ(separator.layout()->lineCount(), 1);
}

TEST_F(MainFormLayout, OutputMemoShowsTenLinesWithoutScrolling)
{
    std::string lines;
    for (int line = 1; line <= 10; ++line)
        lines += "Line " + std::to_string(line) + "\n";
    TMemo& output = Child<TMemo>(form, "TranslatedTextMemo");
    output.SetText(lines);
    QTest::qWait(0);
    EXPECT_EQ(output.verticalScrollBar()->maximum(), 0);
    output.SetText(lines + lines);
    QTest::qWait(0);
    EXPECT_GT(output.verticalScrollBar()->maximum(), 0)
        << "twenty lines do not fit: the memo is not simply taller than anything";
}

// A failure's whole text never fits the bar: it is cut short where it is
// shown and its tool-tip holds it whole, without the window growing for it.
TEST_F(MainFormLayout, AStatusTooLongForTheBarEndsInAnEllipsisAndShowsWholeAsItsTip)
{
    const int width = form.width();
    const std::string text = "Ready.  Error: " + std::string(400, 'x') + " the cause.";
    TStatusBar& bar = Child<TStatusBar>(form, "StatusBar");
    bar.SetText(text);
    const QLabel* panel = bar.findChild<QLabel*>(QStringLiteral("SimplePanel"));
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->text().endsWith(QChar(0x2026)));
    EXPECT_EQ(panel->toolTip().toStdString(), text);
    EXPECT_EQ(bar.Text(), text);
    EXPECT_EQ(form.width(), width);
    bar.SetText("Ready.");
    EXPECT_EQ(panel->text(), QStringLiteral("Ready."));
    EXPECT_TRUE(panel->toolTip().isEmpty());
}
