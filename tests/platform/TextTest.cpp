#include "platform/Text.h"

#include <gtest/gtest.h>

using platform::CompareText;
using platform::JoinMemoLines;
using platform::SplitMemoText;
using platform::Trim;
using Lines = std::vector<std::string>;

TEST(MemoText, JoinEndsEveryLineWithCrLf)
{
    EXPECT_EQ(JoinMemoLines({ "a", "", "b" }), "a\r\n\r\nb\r\n");
    EXPECT_EQ(JoinMemoLines({}), "");
}

TEST(MemoText, SplitAcceptsEveryLineBreakKind)
{
    EXPECT_EQ(SplitMemoText("a\r\nb\rc\nd"), (Lines { "a", "b", "c", "d" }));
    EXPECT_EQ(SplitMemoText("a\n\rb"), (Lines { "a", "", "b" }));
}

TEST(MemoText, FinalBreakAddsNoEmptyLine)
{
    EXPECT_EQ(SplitMemoText("a\r\n"), (Lines { "a" }));
    EXPECT_EQ(SplitMemoText("a\r\n\r\n"), (Lines { "a", "" }));
    EXPECT_EQ(SplitMemoText("\n"), (Lines { "" }));
    EXPECT_EQ(SplitMemoText(""), Lines {});
}

TEST(MemoText, AppendingABlockThatStartsWithLineFeedLeavesAnEmptyLine)
{
    const std::string text = JoinMemoLines({ "old" }) + "\nnew";
    EXPECT_EQ(SplitMemoText(text), (Lines { "old", "", "new" }));
}

TEST(MemoText, JoinThenSplitGivesTheLinesBack)
{
    const Lines lines { "x", "", "  y  ", "z" };
    EXPECT_EQ(SplitMemoText(JoinMemoLines(lines)), lines);
}

TEST(CompareText, IgnoresAsciiCaseOnly)
{
    EXPECT_EQ(CompareText("Checked", "cHECKED"), 0);
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_GT(CompareText("b", "A"), 0);
    EXPECT_LT(CompareText("ab", "abc"), 0);
    EXPECT_NE(CompareText("\xc3\xa9", "\xc3\x89"), 0);
    EXPECT_TRUE(platform::SameText("Left", "LEFT"));
    EXPECT_FALSE(platform::SameText("Left", "Lef"));
}

TEST(Trim, RemovesCodesZeroToThirtyTwoAtBothEnds)
{
    EXPECT_EQ(Trim(std::string("\0\t x y \r\n", 9)), "x y");
    EXPECT_EQ(Trim(" \x01 "), "");
    EXPECT_EQ(Trim("\x21!"), "!!");
    EXPECT_EQ(Trim("\xa0x\xa0"), "\xa0x\xa0");
}

TEST(TextConversion, Utf8RoundTripsThroughQString)
{
    const std::string bytes = "caf\xc3\xa9 \xe2\x82\xac";
    const QString text = platform::ToQString(bytes);
    EXPECT_EQ(text.size(), 6);
    EXPECT_EQ(platform::ToBytes(text), bytes);
}

TEST(PercentEscape, AppendsTwoUpperCaseHexDigits)
{
    std::string out = "a";
    platform::AppendPercentEscape(out, 0x0D);
    platform::AppendPercentEscape(out, 0xE9);
    platform::AppendPercentEscape(out, ' ');
    EXPECT_EQ(out, "a%0D%E9%20");
}
