// Apertium's stream format: plain text with reserved characters escaped and
// formatting kept in bracketed blanks.
#pragma once

#include <string>
#include <vector>

namespace service {

// The lines as one stream: reserved characters escaped, each line break a
// "[\n]" blank, the whole ended by an empty blank.
std::string ApertiumStream(const std::vector<std::string>& lines);

// Back from a translated stream to lines: escapes undone, each blank that
// held a line break ends a line, other blanks dropped.
std::vector<std::string> LinesOfApertiumStream(const std::string& stream);

// Apertium marks words it could not handle with "*", "#" or "@" before them.
// Removes such a mark unless the same marked word stood in the request.
std::string StripUnknownWordMarks(const std::string& line, const std::string& request);

} // namespace service
