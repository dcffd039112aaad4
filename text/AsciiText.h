// Comparing and trimming text as the settings, headers and language names
// need it: bytes of UTF-8, where only the ASCII letters have a case.
#pragma once

#include <string_view>

namespace text {

// ASCII case-insensitive comparison: negative, zero or positive.
int CompareText(std::string_view left, std::string_view right);
bool SameText(std::string_view left, std::string_view right);
bool StartsWithText(std::string_view text, std::string_view prefix);

// Removes leading and trailing bytes with codes 0 to 32.
std::string_view Trim(std::string_view text);

} // namespace text
