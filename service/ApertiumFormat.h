// Apertium's stream format: plain text with reserved characters escaped and
// formatting kept in bracketed blanks, which Apertium hands back untouched.
// The service keeps out of the translation's reach everything that is not a
// word: a line's leading and trailing blanks never go to Apertium; every run
// of blanks other than one space, every break between the lines of a
// paragraph and every run of non-blank bytes too long to be a word goes as a
// bracketed blank. Plain spaces are all Apertium may move, drop or double, so
// the reply's plain spaces are reduced to single ones between words.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace service {

// A longer run of non-blank bytes is no word Apertium can translate, and its
// time for one grows with the square of the word's length: it goes as
// formatting, with the blanks beside it.
constexpr std::size_t LongestWord = 256;

// The lines of a paragraph as one request segment, so that a sentence broken
// over lines is translated whole: each break goes as a numbered bracketed
// blank that tells where the next line begins. The segment ends with an empty
// bracketed blank, without which Apertium holds back its last word. No line
// holds a line break or is all blanks.
std::string ParagraphSegment(std::span<const std::string> lines);

// One line as a request segment of its own.
std::string ApertiumSegment(const std::string& line);

// The line of a translated segment: escapes undone, bracketed blanks written
// out, each run of plain blanks one space, none at either end or beside a
// written-out blank, and the request line's own leading and trailing blanks
// put back around it.
std::string LineOfApertiumSegment(const std::string& segment, const std::string& requestLine);

// The lines of a translated paragraph segment, split where its breaks came
// back and each read as LineOfApertiumSegment reads one. Nothing when the
// breaks did not all come back, once each and in order, or when a line of a
// paragraph of several came back empty.
std::optional<std::vector<std::string>> LinesOfParagraphSegment(
    const std::string& segment, std::span<const std::string> requestLines);

} // namespace service
