// Which languages the translation service can take a text to and back from
// the home language, read from its answer to GET /languages.
#pragma once

#include "run/LanguageTable.h"

#include <array>
#include <map>
#include <optional>
#include <set>
#include <string>

// For each code the service translates from, the codes it translates into.
using LanguagePairs = std::map<std::string, std::set<std::string>>;

// The "pairs" of the service's language list; nothing when text is not
// such a list.
std::optional<LanguagePairs> ParseLanguagePairs(const std::string& text);

// For each row of the language table, whether a text goes from the home
// language to it and back. The home row itself counts as reachable.
std::array<bool, LanguageCount> ReachableRows(const LanguagePairs& pairs, int homeRow);
