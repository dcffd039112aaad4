#include "widgets/RichTextMarkup.h"

#include <gtest/gtest.h>

#include "tests/support/QtPrinters.h"

namespace {

// One unit per character, two for bold ones.
class CharacterMeasure : public RichTextMeasure {
public:
    int TextWidth(const QString& text, const RichStyle& style) const override
    {
        return static_cast<int>(text.size()) * (style.bold ? 2 : 1);
    }
};

RichStyle Bold(QColor color = QColor())
{
    RichStyle style;
    style.bold = true;
    style.color = color;
    return style;
}

RichStyle Colored(QColor color)
{
    RichStyle style;
    style.color = color;
    return style;
}

using Pieces = std::vector<RichPiece>;
using Lines = std::vector<QString>;

class RichMarkup : public testing::Test {
protected:
    Pieces Parse(const QString& line)
    {
        carried = base;
        return ParseRichLine(line, carried, base, RichTags {});
    }

    RichStyle base;
    RichStyle carried;
};

} // namespace

void PrintTo(const RichPiece& piece, std::ostream* out)
{
    *out << '"' << piece.text.toStdString() << '"' << (piece.style.bold ? " bold" : "")
         << (piece.style.italic ? " italic" : "") << (piece.style.underline ? " underline" : "")
         << (piece.style.strikeOut ? " strike" : "") << ' '
         << piece.style.color.name().toStdString();
}

TEST_F(RichMarkup, SlashTagSetsBoldAgain)
{
    EXPECT_EQ(
        Parse(QStringLiteral("[b]x[/b]y")), (Pieces { { u"x"_qs, Bold() }, { u"y"_qs, Bold() } }));
}

TEST_F(RichMarkup, CloseBeforeOpenDeletesTheOpenCharacter)
{
    EXPECT_EQ(Parse(QStringLiteral("a]b[B]c")), (Pieces { { u"a]bB]c"_qs, base } }));
}

TEST_F(RichMarkup, ColourKeepsTheStyleAndStyleKeepsTheColour)
{
    const QColor red(0xFF0000);
    EXPECT_EQ(Parse(QStringLiteral("[RED]x[B]y[DEF]z")),
        (Pieces { { u"x"_qs, Colored(red) }, { u"y"_qs, Bold(red) }, { u"z"_qs, base } }));
}

TEST_F(RichMarkup, EmptyTagClearsTheStyleButDefRestoresTheLabelFont)
{
    base = Bold();
    EXPECT_EQ(Parse(QStringLiteral("a[]b[DEF]c")),
        (Pieces { { u"a"_qs, Bold() }, { u"b"_qs, RichStyle {} }, { u"c"_qs, Bold() } }));
}

TEST_F(RichMarkup, EveryStyleLetterAndUnknownLettersIgnored)
{
    RichStyle all;
    all.bold = all.italic = all.underline = all.strikeOut = true;
    all.color = QColor(0x008080);
    EXPECT_EQ(Parse(QStringLiteral("[teal][subxiq]w")), (Pieces { { u"w"_qs, all } }));
    RichStyle italic;
    italic.italic = true;
    EXPECT_EQ(Parse(QStringLiteral("[hi]w")), (Pieces { { u"w"_qs, italic } }));
}

TEST_F(RichMarkup, UnclosedTagIsOrdinaryText)
{
    EXPECT_EQ(Parse(QStringLiteral("x [B y")), (Pieces { { u"x [B y"_qs, base } }));
}

TEST_F(RichMarkup, StyleCarriesOverToTheNextLine)
{
    Parse(QStringLiteral("by [B]Quorvex"));
    EXPECT_EQ(ParseRichLine(QStringLiteral("next"), carried, base, RichTags {}),
        (Pieces { { u"next"_qs, Bold() } }));
}

TEST_F(RichMarkup, OtherTagCharacters)
{
    carried = base;
    EXPECT_EQ(ParseRichLine(QStringLiteral("<b>x [y]"), carried, base, RichTags { u'<', u'>' }),
        (Pieces { { u"x [y]"_qs, Bold() } }));
}

TEST(RichColors, SixteenNamesWithTheirStandardValues)
{
    EXPECT_EQ(RichColorByName(QStringLiteral("MAROON")), QColor(0x80, 0, 0));
    EXPECT_EQ(RichColorByName(QStringLiteral("SILVER")), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(RichColorByName(QStringLiteral("LIME")), QColor(0, 0xFF, 0));
    EXPECT_EQ(RichColorByName(QStringLiteral("FUCHSIA")), QColor(0xFF, 0, 0xFF));
    EXPECT_EQ(RichColorByName(QStringLiteral("AQUA")), QColor(0, 0xFF, 0xFF));
    EXPECT_EQ(RichColorByName(QStringLiteral("NAVY")), QColor(0, 0, 0x80));
    EXPECT_FALSE(RichColorByName(QStringLiteral("ORANGE")));
    EXPECT_FALSE(RichColorByName(QStringLiteral("red")));
}

TEST(RichParagraphs, SplitAtCrLfAndLoneLfButNotLoneCr)
{
    EXPECT_EQ(SplitRichParagraphs(QStringLiteral("a\r\nb\nc\rd\r\n")),
        (Lines { u"a"_qs, u"b"_qs, u"c\rd"_qs, QString() }));
    EXPECT_EQ(SplitRichParagraphs(QString()), Lines { QString() });
}

TEST(RichBreaks, TheSixteenBreakCharacters)
{
    const QString breaks = QStringLiteral(" !)*+,-./:;=?\\_~");
    ASSERT_EQ(breaks.size(), 16);
    for (QChar character : breaks)
        EXPECT_TRUE(IsRichBreakCharacter(character)) << character.toLatin1();
    for (QChar character : QStringLiteral("([]a0\"'"))
        EXPECT_FALSE(IsRichBreakCharacter(character)) << character.toLatin1();
}

namespace {

class RichWrap : public testing::Test {
protected:
    Lines Wrap(const QString& text, int width)
    {
        options.width = width;
        return WrapRichText(text, measure, options);
    }

    CharacterMeasure measure;
    RichWrapOptions options;
};

} // namespace

TEST_F(RichWrap, WrapsAtSpacesKeepingTheSpaceOnTheLine)
{
    EXPECT_EQ(Wrap(QStringLiteral("aaa bbb ccc"), 8), (Lines { u"aaa bbb "_qs, u"ccc"_qs }));
    EXPECT_EQ(Wrap(QStringLiteral("aaa bbb ccc"), 11), (Lines { u"aaa bbb ccc"_qs }));
}

TEST_F(RichWrap, WrapsAtHyphens)
{
    EXPECT_EQ(Wrap(QStringLiteral("well-known fact"), 6),
        (Lines { u"well-"_qs, u"known "_qs, u"fact"_qs }));
}

TEST_F(RichWrap, WordLongerThanTheLabelStaysOnOneLine)
{
    EXPECT_EQ(Wrap(QStringLiteral("abcdefghij"), 5), (Lines { u"abcdefghij"_qs }));
    EXPECT_EQ(Wrap(QStringLiteral("abcdefghij xy"), 5), (Lines { u"abcdefghij "_qs, u"xy"_qs }));
}

TEST_F(RichWrap, MarginsNarrowTheLine)
{
    options.marginHorz = 2;
    EXPECT_EQ(Wrap(QStringLiteral("aaa bbb"), 9), (Lines { u"aaa "_qs, u"bbb"_qs }));
}

TEST_F(RichWrap, MeasuresWithMarkupFromTheLabelFontForEveryCandidate)
{
    EXPECT_EQ(Wrap(QStringLiteral("[B]aaa bbb"), 10), (Lines { u"[B]aaa "_qs, u"bbb"_qs }));
    EXPECT_EQ(Wrap(QStringLiteral("[B]aa bbbb"), 6), (Lines { u"[B]aa "_qs, u"bbbb"_qs }));
}

TEST_F(RichWrap, PlainTextMeasuresTheBrackets)
{
    options.plainText = true;
    EXPECT_EQ(Wrap(QStringLiteral("[B]a bb"), 5), (Lines { u"[B]a "_qs, u"bb"_qs }));
}

TEST_F(RichWrap, RightAlignedLabelsCountTrailingSpaces)
{
    EXPECT_EQ(Wrap(QStringLiteral("aaa bbb ccc"), 7), (Lines { u"aaa bbb "_qs, u"ccc"_qs }));
    options.countTrailingSpaces = true;
    EXPECT_EQ(Wrap(QStringLiteral("aaa bbb ccc"), 7), (Lines { u"aaa "_qs, u"bbb ccc"_qs }));
}

TEST_F(RichWrap, EachParagraphIsWrappedAndEmptyOnesStay)
{
    EXPECT_EQ(Wrap(QStringLiteral("\r\naa bb\r\n\r\n[]cc"), 3),
        (Lines { QString(), u"aa "_qs, u"bb"_qs, QString(), u"[]cc"_qs }));
}

TEST_F(RichWrap, WithoutWordWrapLinesAreTheParagraphs)
{
    options.wordWrap = false;
    EXPECT_EQ(Wrap(QStringLiteral("aaa bbb\nccc"), 2), (Lines { u"aaa bbb"_qs, u"ccc"_qs }));
}
