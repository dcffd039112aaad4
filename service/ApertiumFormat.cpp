#include "service/ApertiumFormat.h"

#include <string_view>

namespace service {

namespace {

constexpr std::string_view ReservedCharacters = "\\^$/<>@[]{}";
constexpr std::string_view UnknownWordMarks = "*#@";

void AppendEscaped(std::string& stream, const std::string& line)
{
    for (const char c : line) {
        if (ReservedCharacters.find(c) != std::string_view::npos)
            stream += '\\';
        stream += c;
    }
}

bool IsWordCharacter(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')
        || (c >= 'a' && c <= 'z');
}

// Reads one bracketed blank starting after its "["; returns whether it held
// a line break and moves at past its "]".
bool ReadBlank(const std::string& stream, std::size_t& at)
{
    bool lineBreak = false;
    while (at < stream.size() && stream[at] != ']') {
        if (stream[at] == '\\' && at + 1 < stream.size()) {
            lineBreak = lineBreak || stream[at + 1] == 'n';
            at += 2;
            continue;
        }
        lineBreak = lineBreak || stream[at] == '\n';
        ++at;
    }
    ++at;
    return lineBreak;
}

std::size_t WordEnd(const std::string& line, std::size_t from)
{
    while (from < line.size() && IsWordCharacter(line[from]))
        ++from;
    return from;
}

} // namespace

std::string ApertiumStream(const std::vector<std::string>& lines)
{
    std::string stream;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            stream += "[\\n]";
        AppendEscaped(stream, lines[i]);
    }
    return stream + "[]";
}

std::vector<std::string> LinesOfApertiumStream(const std::string& stream)
{
    std::vector<std::string> lines(1);
    std::size_t at = 0;
    while (at < stream.size()) {
        const char c = stream[at++];
        if (c == '\\' && at < stream.size()) {
            lines.back() += stream[at++];
        } else if (c == '[') {
            if (ReadBlank(stream, at))
                lines.emplace_back();
        } else if (c == '\n') {
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

std::string StripUnknownWordMarks(const std::string& line, const std::string& request)
{
    std::string stripped;
    stripped.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        const bool wordStart = i == 0 || !IsWordCharacter(line[i - 1]);
        const bool marked = wordStart && UnknownWordMarks.find(line[i]) != std::string_view::npos
            && i + 1 < line.size() && IsWordCharacter(line[i + 1]);
        if (marked) {
            const std::string word = line.substr(i, WordEnd(line, i + 1) - i);
            if (request.find(word) == std::string::npos)
                continue;
        }
        stripped += line[i];
    }
    return stripped;
}

} // namespace service
