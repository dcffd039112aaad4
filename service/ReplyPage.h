// The reply pages the window program reads: a result page whose pieces it cuts
// out and cleans, and the refusal page.
#pragma once

#include <string>
#include <vector>

namespace service {

// One result piece per line. Cleaned by the program, the pieces give back the
// lines joined by line feeds, byte for byte.
std::string ResultPage(const std::vector<std::string>& lines);

// The page the program reads as "cannot be translated"; reason is shown to a
// reader of the page only.
std::string RefusalPage(const std::string& reason);

// The text of one piece: the program joins pieces with a space and turns
// "<br>" into a line feed, dropping up to two spaces before it, and decodes
// numeric references of one to three digits.
std::string PieceText(const std::string& line, bool first, bool last);

} // namespace service
