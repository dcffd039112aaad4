#include "service/ApertiumFormat.h"

#include <gtest/gtest.h>

using service::ApertiumSegment;
using service::LineOfApertiumSegment;
using service::StripUnknownWordMarks;

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
             { "a\\[b\\] \\\\c\\/d \\@e[]", "x", "a[b] \\c/d @e" },
         })
        EXPECT_EQ(LineOfApertiumSegment(c.reply, c.requestLine), c.line) << c.reply;
}

TEST(LineOfApertiumSegment, ReadingUndoesWriting)
{
    for (const std::string line :
        { "a [b] {c} <d> ^e$ f/g @h \\i", " caf\xC3\xA9  au\tlait ", "x \t y" })
        EXPECT_EQ(LineOfApertiumSegment(ApertiumSegment(line), line), line);
}

TEST(UnknownWordMarks, AreStrippedAtWordStarts)
{
    EXPECT_EQ(StripUnknownWordMarks("El *zorblax come #manzanas @wug.", "x"),
        "El zorblax come manzanas wug.");
    EXPECT_EQ(StripUnknownWordMarks("*caf\xC3\xA9", "x"), "caf\xC3\xA9");
}

TEST(UnknownWordMarks, AMultiwordsQueueMarkIsStripped)
{
    EXPECT_EQ(
        StripUnknownWordMarks("Free volja go# out.", "We will go out."), "Free volja go out.");
    EXPECT_EQ(StripUnknownWordMarks("It ends in go#", "x"), "It ends in go");
}

TEST(UnknownWordMarks, MarksThatStoodInTheRequestStay)
{
    EXPECT_EQ(StripUnknownWordMarks("Mira #hashtag y *zorblax", "Look at #hashtag and zorblax"),
        "Mira #hashtag y zorblax");
    EXPECT_EQ(StripUnknownWordMarks("C# es bueno", "C# is good"), "C# es bueno");
}

TEST(UnknownWordMarks, MarksInsideWordsOrAloneStay)
{
    EXPECT_EQ(StripUnknownWordMarks("a*b c # d 5*3 * a#b", "x"), "a*b c # d 5*3 * a#b");
}
