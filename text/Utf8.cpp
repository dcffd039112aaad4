#include "text/Utf8.h"

namespace text {

namespace {

char Continuation(std::uint32_t code, int shift)
{
    return static_cast<char>(0x80 | ((code >> shift) & 0x3F));
}

} // namespace

void AppendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += Continuation(code, 0);
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += Continuation(code, 6);
        out += Continuation(code, 0);
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += Continuation(code, 12);
        out += Continuation(code, 6);
        out += Continuation(code, 0);
    }
}

} // namespace text
