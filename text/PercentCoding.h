// Hexadecimal digits and the %XX escapes of addresses and form bodies.
#pragma once

#include <string>
#include <string_view>

namespace text {

// The value of a hexadecimal digit of either case, or -1 for any other byte.
int HexDigitValue(char c);
bool IsHexDigit(char c);

// Appends byte as two upper-case hexadecimal digits.
void AppendHexByte(std::string& out, unsigned char byte);

// Appends byte as "%" and two upper-case hex digits, the escape that
// addresses and form bodies share.
void AppendPercentEscape(std::string& out, unsigned char byte);

// A form body writes a blank as "+"; an address escapes it like other bytes
// and reads "+" as a plus sign.
enum class Blank { Escaped, Plus };

// Escapes every byte that kept refuses.
std::string PercentEncode(std::string_view text, bool (*kept)(unsigned char), Blank blank);

struct PercentDecoded {
    std::string text;
    // False when a "%" was not followed by two hex digits; such a "%" is
    // kept as it stands, and each caller decides whether that is an error.
    bool intact = true;
};

PercentDecoded PercentDecode(std::string_view text, Blank blank);

} // namespace text
