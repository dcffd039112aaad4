// The words of a text and how one text differs from another, word by word:
// what the Journey highlights in each step's text, and how much of the input
// a round trip leaves standing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// A word and the blanks before it. A word is a run of letters and digits (an
// apostrophe or hyphen between two of them keeps it whole: "aujourd'hui") or
// a single mark of punctuation.
struct Word {
    std::string space;
    std::string text;
    bool operator==(const Word&) const = default;
};

// The text's words in order; blanks after the last word are dropped.
std::vector<Word> SplitWords(std::string_view text);

enum class Change {
    Same,
    Inserted, // new, with nothing of the old text in its place
    Replaced, // new, in the place of words that are gone
    Deleted, // gone: a word of the old text only
};

struct DiffPiece {
    Change change = Change::Same;
    std::string space; // the blanks before the word in its own text
    std::string text;
    bool operator==(const DiffPiece&) const = default;
};

// The words of after, each marked Same, Inserted or Replaced, with the words
// of before that are gone marked Deleted where they stood, ahead of any words
// that took their place. Words are compared exactly, case included.
std::vector<DiffPiece> DiffWords(std::string_view before, std::string_view after);

// The share, 0 to 1, of the input's words that the text still holds, each
// counted as often as it occurs, whatever its case or place; punctuation does
// not count. An input without words has lost nothing: 1.
double WordSurvival(std::string_view input, std::string_view text);

// What goes between two pieces when they are shown one after the other: the
// later piece's own blanks, or one space where a word that is gone would
// otherwise run into its neighbour.
std::string SpaceBetween(const DiffPiece* previous, const DiffPiece& piece);
