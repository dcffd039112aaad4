#include "service/ApertiumFormat.h"

#include "service/TextLines.h"

#include <string_view>

namespace service {

namespace {

constexpr std::string_view ReservedCharacters = "\\^$/<>@[]{}";
constexpr std::string_view UnknownWordMarks = "*#@";

bool IsWordCharacter(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')
        || (c >= 'a' && c <= 'z');
}

std::size_t EndOfBlanks(const std::string& text, std::size_t from)
{
    while (from < text.size() && IsBlankByte(text[from]))
        ++from;
    return from;
}

std::size_t StartOfTrailingBlanks(const std::string& text)
{
    std::size_t end = text.size();
    while (end > 0 && IsBlankByte(text[end - 1]))
        --end;
    return end;
}

// One space stays a plain blank, which Apertium needs between the words of a
// multiword; anything else is bracketed, so that Apertium hands it back as it is.
// Appended piece by piece, which GCC 12 at -O3 accepts.
void AppendBlanks(std::string& segment, std::string_view blanks)
{
    if (blanks == " ") {
        segment += ' ';
        return;
    }
    segment += '[';
    segment.append(blanks);
    segment += ']';
}

// Reads one bracketed blank starting after its "[", escapes undone, and moves
// at past its "]".
std::string ReadBracketedBlank(const std::string& segment, std::size_t& at)
{
    std::string blank;
    while (at < segment.size() && segment[at] != ']') {
        if (segment[at] == '\\' && at + 1 < segment.size())
            ++at;
        blank += segment[at++];
    }
    ++at;
    return blank;
}

// Builds a line from a reply segment: a blank seen between words is written
// only when the next word comes, so none is left at either end; a bracketed
// blank, which came from the request, wins over plain spaces beside it.
class LineBuilder {
public:
    void AddCharacter(char c)
    {
        if (!line_.empty())
            line_ += pending_;
        pending_.clear();
        pendingIsPlain_ = false;
        line_ += c;
    }
    void AddPlainBlank()
    {
        if (pending_.empty()) {
            pending_ += ' ';
            pendingIsPlain_ = true;
        }
    }
    void AddBracketedBlank(const std::string& blank)
    {
        if (blank.empty())
            return;
        if (pendingIsPlain_)
            pending_.clear();
        pending_ += blank;
        pendingIsPlain_ = false;
    }
    const std::string& Line() const { return line_; }

private:
    std::string line_;
    std::string pending_;
    bool pendingIsPlain_ = false;
};

std::size_t WordEnd(const std::string& line, std::size_t from)
{
    while (from < line.size() && IsWordCharacter(line[from]))
        ++from;
    return from;
}

std::size_t WordStart(const std::string& line, std::size_t from)
{
    while (from > 0 && IsWordCharacter(line[from - 1]))
        --from;
    return from;
}

// The marked word around a mark at i, or nothing when the character is no mark.
std::string_view MarkedWord(const std::string& line, std::size_t i)
{
    const char c = line[i];
    const bool wordStart = i == 0 || !IsWordCharacter(line[i - 1]);
    if (wordStart && UnknownWordMarks.find(c) != std::string_view::npos && i + 1 < line.size()
        && IsWordCharacter(line[i + 1]))
        return std::string_view(line).substr(i, WordEnd(line, i + 1) - i);
    const bool queueMark
        = c == '#' && !wordStart && (i + 1 == line.size() || IsBlankByte(line[i + 1]));
    if (queueMark) {
        const std::size_t start = WordStart(line, i);
        return std::string_view(line).substr(start, i + 1 - start);
    }
    return {};
}

} // namespace

std::string ApertiumSegment(const std::string& line)
{
    const std::size_t end = StartOfTrailingBlanks(line);
    std::string segment;
    segment.reserve(line.size() + line.size() / 8 + 2);
    for (std::size_t i = EndOfBlanks(line, 0); i < end;) {
        if (IsBlankByte(line[i])) {
            const std::size_t blanksEnd = EndOfBlanks(line, i);
            AppendBlanks(segment, std::string_view(line.data() + i, blanksEnd - i));
            i = blanksEnd;
            continue;
        }
        if (ReservedCharacters.find(line[i]) != std::string_view::npos)
            segment += '\\';
        segment += line[i++];
    }
    return segment + "[]";
}

std::string LineOfApertiumSegment(const std::string& segment, const std::string& requestLine)
{
    LineBuilder builder;
    std::size_t at = 0;
    while (at < segment.size()) {
        const char c = segment[at++];
        if (c == '\\' && at < segment.size())
            builder.AddCharacter(segment[at++]);
        else if (c == '[')
            builder.AddBracketedBlank(ReadBracketedBlank(segment, at));
        else if (IsBlankByte(c))
            builder.AddPlainBlank();
        else
            builder.AddCharacter(c);
    }
    const std::size_t leading = EndOfBlanks(requestLine, 0);
    const std::size_t trailing = StartOfTrailingBlanks(requestLine);
    return requestLine.substr(0, leading) + builder.Line()
        + requestLine.substr(std::max(leading, trailing));
}

std::string StripUnknownWordMarks(const std::string& line, const std::string& request)
{
    std::string stripped;
    stripped.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        const std::string_view word = MarkedWord(line, i);
        if (!word.empty() && request.find(word) == std::string::npos)
            continue;
        stripped += line[i];
    }
    return stripped;
}

} // namespace service
