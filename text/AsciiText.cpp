#include "text/AsciiText.h"

#include <algorithm>

namespace text {

namespace {

int UpperAscii(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

bool IsTrimmed(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

int CompareText(std::string_view left, std::string_view right)
{
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int difference = UpperAscii(static_cast<unsigned char>(left[i]))
            - UpperAscii(static_cast<unsigned char>(right[i]));
        if (difference != 0)
            return difference;
    }
    return left.size() < right.size() ? -1 : left.size() > right.size() ? 1 : 0;
}

bool SameText(std::string_view left, std::string_view right)
{
    return left.size() == right.size() && CompareText(left, right) == 0;
}

bool StartsWithText(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

std::string_view Trim(std::string_view text)
{
    std::size_t first = 0;
    while (first < text.size() && IsTrimmed(text[first]))
        ++first;
    std::size_t last = text.size();
    while (last > first && IsTrimmed(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

} // namespace text
