#include "service/TextLines.h"

#include <algorithm>

namespace service {

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += '\n';
        text += lines[i];
    }
    return text;
}

bool IsBlankByte(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsBlank(const std::string& line)
{
    return std::all_of(line.begin(), line.end(), IsBlankByte);
}

} // namespace service
