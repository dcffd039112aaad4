// Writing a code point as UTF-8, the form every text of the program is in.
#pragma once

#include <cstdint>
#include <string>

namespace text {

// One to four bytes; the caller has replaced surrogates and anything past
// U+10FFFF.
void AppendUtf8(std::string& out, std::uint32_t code);

} // namespace text
