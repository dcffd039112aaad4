// Words, their differences and the share of the input that survives.
#include "journey/WordDiff.h"
#include "journey/JourneyMarkup.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <ostream>

void PrintTo(const DiffPiece& piece, std::ostream* out)
{
    static const char* const names[] = { "=", "+", "~", "-" };
    *out << names[static_cast<int>(piece.change)] << "'" << piece.space << piece.text << "'";
}

namespace {

using Pieces = std::vector<DiffPiece>;
constexpr Change Same = Change::Same;
constexpr Change Inserted = Change::Inserted;
constexpr Change Replaced = Change::Replaced;
constexpr Change Deleted = Change::Deleted;

std::vector<std::string> Texts(const std::vector<Word>& words)
{
    std::vector<std::string> texts;
    for (const Word& word : words)
        texts.push_back(word.text);
    return texts;
}

struct SplitCase {
    const char* text;
    std::vector<std::string> words;
};

TEST(SplitWords, WordsArePunctuationAndRunsOfLettersAndDigits)
{
    const SplitCase cases[] = {
        { "", {} },
        { " \r\n\t ", {} },
        { "Hello, world!", { "Hello", ",", "world", "!" } },
        { "aujourd'hui l\u2019\u00e9t\u00e9 well-known",
            { "aujourd'hui", "l\u2019\u00e9t\u00e9", "well-known" } },
        { "'quoted' -dash- 3.14", { "'", "quoted", "'", "-", "dash", "-", "3", ".", "14" } },
        { "\u041c\u043e\u0441\u043a\u0432\u0430 \u65e5\u672c\u8a9e",
            { "\u041c\u043e\u0441\u043a\u0432\u0430", "\u65e5\u672c\u8a9e" } },
        { "Cafe\u0301 ok", { "Cafe\u0301", "ok" } },
    };
    for (const SplitCase& c : cases)
        EXPECT_EQ(Texts(SplitWords(c.text)), c.words) << c.text;
}

TEST(SplitWords, EachWordKeepsTheBlanksBeforeIt)
{
    EXPECT_EQ(SplitWords("  One\r\ntwo  ."),
        (std::vector<Word> { { "  ", "One" }, { "\r\n", "two" }, { "  ", "." } }));
}

struct DiffCase {
    const char* name;
    const char* before;
    const char* after;
    Pieces pieces;
};

TEST(DiffWords, MarksWhatCameAndWhatWent)
{
    const DiffCase cases[] = {
        { "identical", "The old man.", "The old man.",
            { { Same, "", "The" }, { Same, " ", "old" }, { Same, " ", "man" },
                { Same, "", "." } } },
        { "one replaced word", "The old man", "The young man",
            { { Same, "", "The" }, { Deleted, " ", "old" }, { Replaced, " ", "young" },
                { Same, " ", "man" } } },
        { "one word added", "a c", "a b c",
            { { Same, "", "a" }, { Inserted, " ", "b" }, { Same, " ", "c" } } },
        { "one word dropped", "a b c", "a c",
            { { Same, "", "a" }, { Deleted, " ", "b" }, { Same, " ", "c" } } },
        { "case counts", "sleep", "Sleep",
            { { Deleted, "", "sleep" }, { Replaced, "", "Sleep" } } },
        { "both empty", "", "", {} },
        { "from nothing", "", "new words",
            { { Inserted, "", "new" }, { Inserted, " ", "words" } } },
        { "to nothing", "old words", "", { { Deleted, "", "old" }, { Deleted, " ", "words" } } },
        { "non-ASCII", "Mon fr\u00e8re lit", "Mon fr\u00e8re \u00e9crit",
            { { Same, "", "Mon" }, { Same, " ", "fr\u00e8re" }, { Deleted, " ", "lit" },
                { Replaced, " ", "\u00e9crit" } } },
        { "blanks alone change nothing", "a  b\r\n", "a\nb",
            { { Same, "", "a" }, { Same, "\n", "b" } } },
    };
    for (const DiffCase& c : cases)
        EXPECT_EQ(DiffWords(c.before, c.after), c.pieces) << c.name;
}

// Whatever the texts, the words not deleted spell the new text and the words
// neither inserted nor replaced spell the old one.
TEST(DiffWords, PiecesSpellBothTexts)
{
    const std::pair<const char*, const char*> pairs[] = {
        { "a b c", "c a b" },
        { "one two three four five", "five four three two one" },
        { "x y x y x", "y x y y" },
        { "the cat sat on the mat", "on the mat the cat sat down" },
        { "a a a b", "b a a a a" },
    };
    for (const auto& [before, after] : pairs) {
        std::vector<std::string> old;
        std::vector<std::string> now;
        for (const DiffPiece& piece : DiffWords(before, after)) {
            if (piece.change != Inserted && piece.change != Replaced)
                old.push_back(piece.text);
            if (piece.change != Deleted)
                now.push_back(piece.text);
        }
        EXPECT_EQ(old, Texts(SplitWords(before))) << before << " / " << after;
        EXPECT_EQ(now, Texts(SplitWords(after))) << before << " / " << after;
    }
    const Pieces moved = DiffWords("a b c", "c a b");
    EXPECT_EQ(std::count_if(moved.begin(), moved.end(),
                  [](const DiffPiece& piece) { return piece.change != Same; }),
        2)
        << "a moved word is one word gone and one come";
}

std::string Numbers(int from, int count, int changedAt = -1)
{
    std::string text;
    for (int i = from; i < from + count; ++i)
        text += (i == changedAt ? "changed" : "w" + std::to_string(i)) + " ";
    return text;
}

TEST(DiffWords, LongTextsWithFewChangesMarkOnlyThose)
{
    const Pieces pieces = DiffWords(Numbers(0, 5000), Numbers(0, 5000, 2500));
    ASSERT_EQ(pieces.size(), 5001u);
    EXPECT_EQ(pieces[2500], (DiffPiece { Deleted, " ", "w2500" }));
    EXPECT_EQ(pieces[2501], (DiffPiece { Replaced, " ", "changed" }));
}

TEST(DiffWords, TextsTooDifferentToSearchAreWhollyReplacedBetweenTheirCommonEnds)
{
    const Pieces pieces
        = DiffWords("start " + Numbers(0, 1500) + "end", "start " + Numbers(10000, 1500) + "end");
    ASSERT_EQ(pieces.size(), 3002u);
    EXPECT_EQ(pieces.front(), (DiffPiece { Same, "", "start" }));
    EXPECT_EQ(pieces[1].change, Deleted);
    EXPECT_EQ(pieces[1500].change, Deleted);
    EXPECT_EQ(pieces[1501].change, Replaced);
    EXPECT_EQ(pieces[3000].change, Replaced);
    EXPECT_EQ(pieces.back(), (DiffPiece { Same, " ", "end" }));
}

struct SurvivalCase {
    const char* name;
    const char* input;
    const char* text;
    double share;
};

TEST(WordSurvival, ShareOfTheInputsWordsStillThere)
{
    const SurvivalCase cases[] = {
        { "identical", "The old man walks.", "The old man walks.", 1.0 },
        { "one of four replaced", "The old man walks", "The young man walks", 0.75 },
        { "reordered", "the cat sat", "sat the cat", 1.0 },
        { "case and punctuation do not count", "Hello, world!", "hello world", 1.0 },
        { "each word as often as it came", "the the cat", "the cat", 2.0 / 3 },
        { "extra words take nothing away", "cat", "the black cat", 1.0 },
        { "empty text", "some words", "", 0.0 },
        { "empty input", "", "anything", 1.0 },
        { "both empty", "", "", 1.0 },
        { "punctuation only", "?!", "", 1.0 },
        { "non-ASCII, case folded", "\u00c9T\u00c9 \u00e0 Gen\u00e8ve",
            "\u00e9t\u00e9 \u00e0 gen\u00e8ve", 1.0 },
    };
    for (const SurvivalCase& c : cases)
        EXPECT_DOUBLE_EQ(WordSurvival(c.input, c.text), c.share) << c.name;
}

struct MarkupCase {
    const char* name;
    const char* before;
    const char* after;
    const char* markup;
};

TEST(ChangesMarkup, NewWordsOnColourAndLostWordsStruckWhereTheyStood)
{
    const std::string gone = "<span style=\"color:#9c0006;text-decoration:line-through\">";
    const std::string added = "<span style=\"background-color:#c6efce\">";
    const std::string replacing = "<span style=\"background-color:#ffe08a\">";
    const MarkupCase cases[] = {
        { "replaced", "The old man", "The young man", "The {-}old{/} {~}young{/} man" },
        { "gone at the start", "Oh well", "well", "{-}Oh{/} well" },
        { "gone punctuation", "Stop.", "Stop", "Stop{-}.{/}" },
        { "added", "a c", "a b c", "a {+}b{/} c" },
        { "lines", "a\r\nb", "a\nc", "a {-}b{/}<br/>{~}c{/}" },
        { "escaped", "y", "<b> & 'y'",
            "{+}&lt;{/}{+}b{/}{+}&gt;{/} {+}&amp;{/} {+}&#39;{/}y{+}&#39;{/}" },
    };
    for (const MarkupCase& c : cases) {
        std::string expected = c.markup;
        for (const auto& [tag, span] : { std::pair { "{-}", gone }, { "{+}", added },
                 { "{~}", replacing }, { "{/}", std::string("</span>") } })
            for (std::size_t at; (at = expected.find(tag)) != std::string::npos;)
                expected.replace(at, 3, span);
        EXPECT_EQ(ChangesMarkup(DiffWords(c.before, c.after)), expected) << c.name;
    }
}

} // namespace
