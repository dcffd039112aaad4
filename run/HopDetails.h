// What a reply page tells of its hop besides the translation: the engine and
// the languages the text passed through on the way, or why the service
// refused it. The service puts them in elements the reply extraction passes
// over.
#pragma once

#include <string>
#include <vector>

// The most bytes of a value a service gives that are taken (a reason, an
// engine's name).
inline constexpr std::size_t LongestServiceValue = 300;

struct HopDetails {
    // "apertium", "libretranslate ADDRESS", "none"; empty when the page says
    // nothing.
    std::string engine;
    // The pivot codes, in the order the text passed them.
    std::vector<std::string> via;
    // The service's reason for a refusal, one line.
    std::string reason;
};

// Reads the details from the page's bytes; a page without them, or a page
// from another server, gives empty details. Values are cut short and kept
// to one line, since any server can write anything there.
HopDetails ReadHopDetails(const std::string& page);

// "English → French" for the codes of a step.
std::string HopName(const std::string& sourceCode, const std::string& targetCode);

// What the Journey and the debug log add to a hop's name: " (via Croatian,
// Macedonian)" for pivots, " (LibreTranslate at ADDRESS)" for that engine,
// nothing for a direct hop or a page that says nothing.
std::string RouteText(const HopDetails& details);
