// Apertium's stream format: plain text with reserved characters escaped and
// formatting kept in bracketed blanks. The service sends each line as a
// segment of its own and keeps every blank it can out of the translation's
// reach: a line's leading and trailing blanks never go to Apertium, and every
// run of blanks other than one space goes as a bracketed blank, which Apertium
// hands back untouched. Plain spaces are all Apertium may move, drop or
// double, so the reply's plain spaces are reduced to single ones between words.
#pragma once

#include <string>

namespace service {

// The line as one request segment, ended by an empty bracketed blank, without
// which Apertium holds back the segment's last word. The line holds no line
// break and is not all blanks.
std::string ApertiumSegment(const std::string& line);

// The line of a translated segment: escapes undone, bracketed blanks written
// out, each run of plain blanks one space, none at either end or beside a
// written-out blank, and the request line's own leading and trailing blanks
// put back around it.
std::string LineOfApertiumSegment(const std::string& segment, const std::string& requestLine);

// Apertium marks words it could not handle with "*", "#" or "@" before them,
// and a multiword it could not generate with "#" after its first word.
// Removes such marks unless the same marked word stood in the request.
std::string StripUnknownWordMarks(const std::string& line, const std::string& request);

} // namespace service
