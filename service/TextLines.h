// A request text as lines, so that every line keeps its place through a
// translation.
#pragma once

#include <string>
#include <vector>

namespace service {

// Splits at CR LF, CR or LF; a text ending in a break ends with an empty line,
// so joining gives back the same breaks (as line feeds).
std::vector<std::string> SplitLines(const std::string& text);

std::string JoinLines(const std::vector<std::string>& lines);

// True for the bytes that count as blanks: spaces and control characters.
bool IsBlankByte(char c);

// True when the line holds nothing but blanks.
bool IsBlank(const std::string& line);

} // namespace service
