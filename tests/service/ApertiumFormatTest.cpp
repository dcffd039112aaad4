#include "service/ApertiumFormat.h"

#include <gtest/gtest.h>

using service::ApertiumSegment;
using service::LineOfApertiumSegment;
using service::LinesOfParagraphSegment;
using service::LongestWord;
using service::ParagraphSegment;
using Lines = std::vector<std::string>;

namespace {

// A word one byte too long for Apertium, holding reserved characters.
const std::string LongWord = std::string(LongestWord - 2, 'x') + "<>\\";
const std::string EscapedLongWord = std::string(LongestWord - 2, 'x') + "\\<\\>\\\\";

} // namespace

TEST(ApertiumSegment, EscapesEveryReservedCharacter)
{
    EXPECT_EQ(ApertiumSegment("\\^$/<>@[]{}"), "\\\\\\^\\$\\/\\<\\>\\@\\[\\]\\{\\}[]");
    EXPECT_EQ(ApertiumSegment("a*b #c ~d"), "a*b #c ~d[]");
}

TEST(ApertiumSegment, KeepsTheLinesOwnBlanksOutOfApertiumsReach)
{
    struct Case {
        const char* line;
        const char* segment;
    };
    for (const Case& c : std::initializer_list<Case> {
             { "one two", "one two[]" },
             { "  one two \t", "one two[]" },
             { "one  two", "one[  ]two[]" },
             { "one\ttwo \x01three", "one[\t]two[ \x01]three[]" },
             // Apertium would drop a caret that ends the segment, and the end.
             { "x = 2^", "x = 2[]" },
             { " casa ^ ^", "casa[]" },
             { "^a^b^", "\\^a\\^b[]" },
         })
        EXPECT_EQ(ApertiumSegment(c.line), c.segment) << c.line;
}

TEST(LineOfApertiumSegment, AddsNoBlankTheRequestLineDidNotHave)
{
    struct Case {
        const char* reply;
        const char* requestLine;
        const char* line;
    };
    for (const Case& c : std::initializer_list<Case> {
             // A pronoun Apertium drops leaves the blank after it at the start.
             { " Saldremos.[]", "We will go out.", "Saldremos." },
             { "Hola \t [] ", "Hello", "Hola" },
             // Blanks moved together by reordering become one.
             { "El Tom de Jerry  gato.[]", "Jerry's cat.", "El Tom de Jerry gato." },
             { "a \n\r b[]", "x", "a b" },
             // A blank the request had as a bracketed one is kept as it was, and
             // plain blanks beside it go.
             { "uno [  ] dos[]", "one  two", "uno  dos" },
             { "uno[\t]dos[ \x01]tres[]", "one\ttwo \x01three", "uno\tdos \x01tres" },
             // One left at an end by a dropped word goes too.
             { "[  ]uno[\t][]", "x  one\ty", "uno" },
             // The request line's own edges come back around the translation.
             { "Hola[]", "  Hello \t", "  Hola \t" },
             { "Perro[]", "dog ^^ ", "Perro ^^ " },
             { "a\\[b\\] \\\\c\\/d \\@e[]", "x", "a[b] \\c/d @e" },
         })
        EXPECT_EQ(LineOfApertiumSegment(c.reply, c.requestLine), c.line) << c.reply;
}

TEST(LineOfApertiumSegment, ReadingUndoesWriting)
{
    for (const std::string& line :
        Lines { "a [b] {c} <d> ^e$ f/g @h \\i", " caf\xC3\xA9  au\tlait ", "x \t y", "2^ ^",
            LongWord, "a " + LongWord + "  b", LongWord + " " + LongWord + "\tc" })
        EXPECT_EQ(LineOfApertiumSegment(ApertiumSegment(line), line), line);
}

// Time in Apertium grows with the square of a word's length, so a word it
// cannot translate anyway goes as formatting, with the blanks beside it.
TEST(ApertiumSegment, AWordTooLongForApertiumGoesAsFormatting)
{
    const std::string longest(LongestWord, 'w');
    struct Case {
        std::string line;
        std::string segment;
    };
    for (const Case& c : std::initializer_list<Case> {
             { longest + " a", longest + " a[]" },
             { LongWord, "[" + EscapedLongWord + "][]" },
             { "a " + LongWord + "  b", "a[ " + EscapedLongWord + "  ]b[]" },
             { " " + LongWord + " " + LongWord + "\tc ",
                 "[" + EscapedLongWord + " " + EscapedLongWord + "\t]c[]" },
         })
        EXPECT_EQ(ApertiumSegment(c.line), c.segment) << c.line;
}

// Plain spaces that Apertium moves or drops beside a long word do not change
// the blanks that stood beside it.
TEST(LineOfApertiumSegment, ALongWordComesBackWithItsOwnBlanks)
{
    EXPECT_EQ(LineOfApertiumSegment("un [ " + EscapedLongWord + "  ] b[]", "a " + LongWord + "  b"),
        "un " + LongWord + "  b");
    EXPECT_EQ(LineOfApertiumSegment("[ " + EscapedLongWord + "]un[]", "x"), LongWord + "un");
}

TEST(ParagraphSegment, EachBreakGoesAsANumberedBracketedBlank)
{
    EXPECT_EQ(ParagraphSegment(Lines { "one two", "  three \t", "four  five" }),
        "one two[\n1]three[\n2]four[  ]five[]");
    EXPECT_EQ(ParagraphSegment(Lines { "a*b" }), ApertiumSegment("a*b"));
}

TEST(LinesOfParagraphSegment, FollowTheBreaksWhereverApertiumPutsThem)
{
    struct Case {
        const char* reply;
        Lines requestLines;
        std::optional<Lines> lines;
    };
    for (const Case& c : std::initializer_list<Case> {
             { "uno[\n1]dos[]", { "one", "two" }, Lines { "uno", "dos" } },
             // Each line keeps its own edges; blanks beside a break go.
             { "uno [\n1] dos  tres[]", { " one\t", "  two three " },
                 Lines { " uno\t", "  dos tres " } },
             // Words moved across a break leave it between the same words.
             { "el coche[\n1]rojo y[\n2]Saldremos[\n3].[]",
                 { "the red", "car and", "we will go", "out." },
                 Lines { "el coche", "rojo y", "Saldremos", "." } },
             { "Saldremos.[]", { "We will go out." }, Lines { "Saldremos." } },
             // A lone line may come back empty, as it does on its own.
             { " []", { "I" }, Lines { "" } },
             // A pronoun Apertium drops leaves its line with the others.
             { "y [\n1] es bueno[]", { "and it", "is good" }, Lines { "y", "es bueno" } },
             // A line of carets under a line has no words to come back.
             { "foo[\n1][]", { "foo(bar", "   ^" }, Lines { "foo", "   ^" } },
             // Breaks lost, doubled, out of order, or a line left empty.
             { "uno dos[]", { "one", "two" }, std::nullopt },
             { "uno[\n1][\n1]dos[]", { "one", "two" }, std::nullopt },
             { "a[\n2]b[\n1]c[]", { "a", "b", "c" }, std::nullopt },
             { "pienso[\n1] [\n2]es[]", { "I think", "it", "is" }, std::nullopt },
         })
        EXPECT_EQ(LinesOfParagraphSegment(c.reply, c.requestLines), c.lines) << c.reply;
}

TEST(LinesOfParagraphSegment, ReadingUndoesWriting)
{
    const Lines lines = { "  a [b] {c} <d>", "^e$ f/g @h \\i ", LongWord, "x " + LongWord + " y" };
    EXPECT_EQ(LinesOfParagraphSegment(ParagraphSegment(lines), lines), lines);
}
