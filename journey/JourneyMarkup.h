// The journey's texts as XHTML fragments, the same for the Journey tab and
// the saved page: escaped, with the words a step changed marked.
#pragma once

#include "journey/WordDiff.h"

#include <string>
#include <string_view>
#include <vector>

// text with "&", "<", ">", quotes and apostrophes escaped, bytes that are no
// UTF-8 replaced and characters that XML forbids (most control codes) left out.
std::string EscapeMarkup(std::string_view text);

// Escaped text whose line breaks are shown as such; a final break adds no
// line.
std::string TextMarkup(std::string_view text);

// The step's text with new words on a coloured ground (one colour for words
// added, one for words that replace others) and the words that are gone
// struck through where they stood.
std::string ChangesMarkup(const std::vector<DiffPiece>& pieces);

// The heading of a round in a run until stable: "Round 2".
std::string RoundText(int round);
