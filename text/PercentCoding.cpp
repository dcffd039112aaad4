#include "text/PercentCoding.h"

namespace text {

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool IsHexDigit(char c)
{
    return HexDigitValue(c) >= 0;
}

void AppendHexByte(std::string& out, unsigned char byte)
{
    static const char digits[] = "0123456789ABCDEF";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

void AppendPercentEscape(std::string& out, unsigned char byte)
{
    out += '%';
    AppendHexByte(out, byte);
}

std::string PercentEncode(std::string_view text, bool (*kept)(unsigned char), Blank blank)
{
    std::string encoded;
    encoded.reserve(text.size());
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (kept(byte))
            encoded += character;
        else if (byte == ' ' && blank == Blank::Plus)
            encoded += '+';
        else
            AppendPercentEscape(encoded, byte);
    }
    return encoded;
}

PercentDecoded PercentDecode(std::string_view text, Blank blank)
{
    PercentDecoded decoded;
    decoded.text.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const int high = c == '%' && i + 2 < text.size() ? HexDigitValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigitValue(text[i + 2]) : -1;
        if (low >= 0) {
            decoded.text += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            decoded.intact = decoded.intact && c != '%';
            decoded.text += c == '+' && blank == Blank::Plus ? ' ' : c;
        }
    }
    return decoded;
}

} // namespace text
