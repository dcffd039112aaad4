#include "service/ApertiumFormat.h"

#include <gtest/gtest.h>

using service::ApertiumStream;
using service::LinesOfApertiumStream;
using service::StripUnknownWordMarks;
using Lines = std::vector<std::string>;

TEST(ApertiumStream, EscapesEveryReservedCharacter)
{
    EXPECT_EQ(ApertiumStream({ "\\^$/<>@[]{}" }), "\\\\\\^\\$\\/\\<\\>\\@\\[\\]\\{\\}[]");
    EXPECT_EQ(ApertiumStream({ "a*b #c ~d" }), "a*b #c ~d[]");
}

TEST(ApertiumStream, LineBreaksBecomeBlanks)
{
    EXPECT_EQ(ApertiumStream({ "one", "", "two" }), "one[\\n][\\n]two[]");
}

TEST(ApertiumStream, ReadingUndoesWriting)
{
    const Lines lines = { "a [b] {c} <d> ^e$ f/g @h \\i", "", "caf\xC3\xA9", "" };
    EXPECT_EQ(LinesOfApertiumStream(ApertiumStream(lines)), lines);
}

TEST(ApertiumStream, BlanksWithoutALineBreakVanish)
{
    EXPECT_EQ(LinesOfApertiumStream("a[<b>]c[][\\n]d"), (Lines { "ac", "d" }));
    EXPECT_EQ(LinesOfApertiumStream("a[\n]b\nc"), (Lines { "a", "b", "c" }));
}

TEST(UnknownWordMarks, AreStrippedAtWordStarts)
{
    EXPECT_EQ(StripUnknownWordMarks("El *zorblax come #manzanas @wug.", "x"),
        "El zorblax come manzanas wug.");
    EXPECT_EQ(StripUnknownWordMarks("*caf\xC3\xA9", "x"), "caf\xC3\xA9");
}

TEST(UnknownWordMarks, MarksThatStoodInTheRequestStay)
{
    EXPECT_EQ(StripUnknownWordMarks("Mira #hashtag y *zorblax", "Look at #hashtag and zorblax"),
        "Mira #hashtag y zorblax");
}

TEST(UnknownWordMarks, MarksInsideWordsOrAloneStay)
{
    EXPECT_EQ(StripUnknownWordMarks("a*b c # d 5*3 *", "x"), "a*b c # d 5*3 *");
}
