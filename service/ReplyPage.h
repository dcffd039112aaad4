// The reply pages the window program reads: a result page whose pieces it cuts
// out and cleans, and the refusal page.
#pragma once

#include "service/TranslationEngine.h"

#include <string>
#include <vector>

namespace service {

// One result piece per line. Cleaned by the program, the pieces give back the
// lines joined by line feeds, byte for byte. The page's head tells the route:
// <meta name="tornalo-engine" content="..."> and <meta name="tornalo-via"
// content="hr,mk">, the engine "none" for a text that came back unchanged.
std::string ResultPage(const std::vector<std::string>& lines, const HopRoute& route);

// The page the program reads as "cannot be translated", with the reason in
// <p id="tornalo-reason">, one line without a full stop.
std::string RefusalPage(const std::string& reason);

// The text of one piece: the program joins pieces with a space and turns
// "<br>" into a line feed, dropping up to two spaces before it, and decodes
// numeric references of one to three digits.
std::string PieceText(const std::string& line, bool first, bool last);

} // namespace service
