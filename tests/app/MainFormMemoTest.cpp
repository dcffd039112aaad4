// The memo text convention of the window's memos, and the cheap append the
// run relies on for its debug blocks.
#include "app/Memo.h"
#include "text/MemoLines.h"

#include "tests/support/QtPrinters.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

class MemoText : public testing::Test {
protected:
    TMemo memo;
};

TEST_F(MemoText, EmptyMemoHasNoLinesAndEmptyText)
{
    EXPECT_EQ(memo.LineCount(), 0);
    EXPECT_EQ(memo.Text(), "");
    EXPECT_TRUE(memo.IsEmpty());
}

TEST_F(MemoText, ReadingGivesEveryLineFollowedByCrLf)
{
    memo.SetText("a\nb\rc\r\nd");
    EXPECT_EQ(memo.Lines(), (Lines { "a", "b", "c", "d" }));
    EXPECT_EQ(memo.Text(), "a\r\nb\r\nc\r\nd\r\n");
}

TEST_F(MemoText, FinalBreakAddsNoEmptyLineButASecondOneDoes)
{
    memo.SetText("a\r\n");
    EXPECT_EQ(memo.Lines(), (Lines { "a" }));
    memo.SetText("a\r\n\r\n");
    EXPECT_EQ(memo.Lines(), (Lines { "a", "" }));
    memo.SetText("\r\n");
    EXPECT_EQ(memo.Lines(), (Lines { "" }));
    EXPECT_FALSE(memo.IsEmpty());
}

TEST_F(MemoText, AppendingABlockThatStartsWithLineFeedLeavesAnEmptyLine)
{
    memo.SetText("Hello");
    memo.Append("\n====\n");
    memo.Append("fr:Hello");
    EXPECT_EQ(memo.Lines(), (Lines { "Hello", "", "====", "fr:Hello" }));
}

TEST_F(MemoText, AppendGivesExactlyOldTextFollowedByTheAppendedText)
{
    const std::vector<std::string> pieces { "\n--- TRANSLATING: en|fr ---  \n:", "Hello\r\n",
        "\n-----  \n:", "", "\n*** RAW ***\n", "a\n\nb", "\n***\n", "\r", "x\r\n\r\n", "y" };
    std::string expected;
    for (const std::string& piece : pieces) {
        expected = text::JoinMemoLines(text::SplitMemoText(expected + piece));
        memo.Append(piece);
        ASSERT_EQ(memo.Text(), expected) << "after appending " << testing::PrintToString(piece);
    }
}

// A hidden memo (the debug memo behind its tab) lays nothing out while a run
// appends; the lines go in when it is shown or read, in order.
TEST_F(MemoText, WhatIsAppendedWhileHiddenGoesInWhenTheMemoIsShownOrRead)
{
    memo.SetText("Hello");
    memo.Append("\nfirst");
    memo.Append("second\n");
    EXPECT_EQ(memo.document()->blockCount(), 2);
    memo.show();
    EXPECT_EQ(memo.document()->blockCount(), 5);
    memo.Append("third");
    EXPECT_EQ(memo.document()->blockCount(), 6);
    memo.hide();
    memo.Append("fourth");
    EXPECT_EQ(memo.Lines(), (Lines { "Hello", "", "first", "second", "third", "fourth" }));
    memo.Append("gone");
    memo.SetText("new");
    EXPECT_EQ(memo.Lines(), (Lines { "new" }));
}

TEST_F(MemoText, AppendToEmptyMemoIsAssigning)
{
    memo.Append("one\ntwo");
    EXPECT_EQ(memo.Lines(), (Lines { "one", "two" }));
}

TEST_F(MemoText, TypedTextWithoutFinalBreakCountsAsALine)
{
    memo.show();
    memo.setFocus();
    QTest::keyClicks(&memo, QStringLiteral("typed"));
    EXPECT_EQ(memo.Text(), "typed\r\n");
    memo.Append("next");
    EXPECT_EQ(memo.Lines(), (Lines { "typed", "next" }));
}

TEST_F(MemoText, LinesPropertyReadsAndWritesTheLines)
{
    memo.setProperty("Lines", QStringList { QStringLiteral("x"), QString(), QStringLiteral("z") });
    EXPECT_EQ(memo.Lines(), (Lines { "x", "", "z" }));
    EXPECT_EQ(memo.property("Lines").toStringList(),
        (QStringList { QStringLiteral("x"), QString(), QStringLiteral("z") }));
}

TEST_F(MemoText, ClearLeavesNoLines)
{
    memo.SetText("a\nb");
    memo.Clear();
    EXPECT_EQ(memo.Text(), "");
}

TEST_F(MemoText, KeyHandlerThatClearsTheKeyKeepsItFromTheMemo)
{
    memo.show();
    memo.setFocus();
    memo.OnKeyDown = [](QObject*, int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_B)
            key = 0;
    };
    QTest::keyClicks(&memo, QStringLiteral("abc"));
    EXPECT_EQ(memo.Text(), "ac\r\n");
}

// A word of tens of thousands of characters would take the layout minutes to
// break anywhere: the memo then breaks lines only between words, whichever
// way the word comes, and goes back once its text no longer holds one.
TEST_F(MemoText, AWordTooLongToBreakAnywhereTurnsBreakingToWordsOnly)
{
    const std::string word(30000, 'a');
    const auto wrapsWordsOnly = [this] { return memo.wordWrapMode() == QTextOption::WordWrap; };
    memo.SetText("short words");
    EXPECT_FALSE(wrapsWordsOnly());
    memo.SetText("x " + word);
    EXPECT_TRUE(wrapsWordsOnly());
    EXPECT_EQ(memo.Text(), "x " + word + "\r\n");
    memo.SetText("short words");
    EXPECT_FALSE(wrapsWordsOnly());
    memo.Append(word);
    EXPECT_EQ(memo.LineCount(), 2);
    EXPECT_TRUE(wrapsWordsOnly());
    memo.Clear();
    EXPECT_FALSE(wrapsWordsOnly());
    memo.show();
    memo.insertPlainText(QStringLiteral("y"));
    QApplication::clipboard()->setText(QString::fromStdString(word));
    memo.paste();
    EXPECT_TRUE(wrapsWordsOnly());
    EXPECT_EQ(memo.Text(), "y" + word + "\r\n");
}
