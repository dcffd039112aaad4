// A memo's text and its lines, the form in which every front end hands text
// to the run and shows what came back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace text {

// A memo's text is its lines, each followed by CR LF.
std::string JoinMemoLines(const std::vector<std::string>& lines);

// Splits at CR LF, CR or LF; a final line break adds no empty line.
std::vector<std::string> SplitMemoText(std::string_view text);

} // namespace text
