#include "platform/Text.h"

#include <algorithm>

namespace platform {

namespace {

unsigned char UpperAscii(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool IsTrimmed(unsigned char c)
{
    return c <= 32;
}

} // namespace

std::string JoinMemoLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> SplitMemoText(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.emplace_back(text.substr(start, i - start));
        i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

int CompareText(std::string_view left, std::string_view right)
{
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int difference = UpperAscii(static_cast<unsigned char>(left[i]))
            - UpperAscii(static_cast<unsigned char>(right[i]));
        if (difference != 0)
            return difference;
    }
    return static_cast<int>(left.size()) - static_cast<int>(right.size());
}

bool SameText(std::string_view left, std::string_view right)
{
    return left.size() == right.size() && CompareText(left, right) == 0;
}

std::string Trim(std::string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsTrimmed(static_cast<unsigned char>(text[first])))
        ++first;
    while (last > first && IsTrimmed(static_cast<unsigned char>(text[last - 1])))
        --last;
    return std::string(text.substr(first, last - first));
}

void AppendPercentEscape(std::string& out, unsigned char byte)
{
    static const char digits[] = "0123456789ABCDEF";
    out += '%';
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

QString ToQString(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text)
{
    return text.toUtf8().toStdString();
}

} // namespace platform
