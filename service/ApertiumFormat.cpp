#include "service/ApertiumFormat.h"

#include "service/TextLines.h"

#include <algorithm>
#include <string_view>

namespace service {

namespace {

constexpr std::string_view ReservedCharacters = "\\^$/<>@[]{}";

// A line holds no line feed, so no other bracketed blank starts with one.
constexpr char LineBreakMark = '\n';

std::size_t EndOfBlanks(std::string_view text, std::size_t from)
{
    while (from < text.size() && IsBlankByte(text[from]))
        ++from;
    return from;
}

std::size_t EndOfWord(std::string_view text, std::size_t from)
{
    while (from < text.size() && !IsBlankByte(text[from]))
        ++from;
    return from;
}

std::size_t StartOfTrailingBlanks(std::string_view text)
{
    std::size_t end = text.size();
    while (end > 0 && IsBlankByte(text[end - 1]))
        --end;
    return end;
}

// Apertium drops a caret that ends its segment, together with everything
// after it, the segment's end included; so a line's carets at its end stay
// at the line's edge with its trailing blanks, and never go to Apertium.
std::size_t StartOfLineEnd(std::string_view line)
{
    std::size_t end = line.size();
    while (end > 0 && (IsBlankByte(line[end - 1]) || line[end - 1] == '^'))
        --end;
    return end;
}

// What the bracketed blank of the break before line number holds.
std::string LineBreakText(std::size_t number)
{
    return LineBreakMark + std::to_string(number);
}

void AppendEscaped(std::string& segment, std::string_view text)
{
    for (const char c : text) {
        if (ReservedCharacters.find(c) != std::string_view::npos)
            segment += '\\';
        segment += c;
    }
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

// Writes the line between its edge blanks. A word too long for Apertium goes
// in a bracketed blank together with the blanks on either side of it, so that
// it comes back with them, wherever Apertium puts the plain spaces.
class SegmentWriter {
public:
    explicit SegmentWriter(std::string& segment) : segment_(segment) { }

    void AddLine(std::string_view line)
    {
        const std::size_t end = StartOfLineEnd(line);
        for (std::size_t at = EndOfBlanks(line, 0); at < end;) {
            const bool blanks = IsBlankByte(line[at]);
            const std::size_t next
                = std::min(end, blanks ? EndOfBlanks(line, at) : EndOfWord(line, at));
            const std::string_view piece = line.substr(at, next - at);
            if (blanks)
                AddBlanks(piece, EndOfWord(line, next) - next > LongestWord);
            else
                AddWord(piece);
            at = next;
        }
        if (inFormatting_)
            segment_ += ']';
        inFormatting_ = false;
    }

private:
    void AddBlanks(std::string_view blanks, bool longWordNext)
    {
        if (longWordNext && !inFormatting_) {
            segment_ += '[';
            inFormatting_ = true;
        }
        if (inFormatting_)
            segment_.append(blanks);
        else
            AppendBlanks(segment_, blanks);
    }

    void AddWord(std::string_view word)
    {
        const bool tooLong = word.size() > LongestWord;
        if (tooLong != inFormatting_)
            segment_ += tooLong ? '[' : ']';
        inFormatting_ = tooLong;
        AppendEscaped(segment_, word);
    }

    std::string& segment_;
    // A long word's bracketed blank is open.
    bool inFormatting_ = false;
};

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
    // Blanks, or a long word with the blanks that stood beside it.
    void AddBracketed(std::string_view bracketed)
    {
        const std::size_t start = EndOfBlanks(bracketed, 0);
        const std::size_t end = std::max(start, StartOfTrailingBlanks(bracketed));
        AddBracketedBlank(bracketed.substr(0, start));
        for (const char c : bracketed.substr(start, end - start))
            AddCharacter(c);
        AddBracketedBlank(bracketed.substr(end));
    }
    std::string TakeLine()
    {
        std::string line = std::move(line_);
        *this = {};
        return line;
    }

private:
    void AddBracketedBlank(std::string_view blank)
    {
        if (blank.empty())
            return;
        if (pendingIsPlain_)
            pending_.clear();
        pending_ += blank;
        pendingIsPlain_ = false;
    }

    std::string line_;
    std::string pending_;
    bool pendingIsPlain_ = false;
};

struct ReplyLines {
    std::vector<std::string> lines;
    bool breaksInOrder = true;
};

// The reply's lines, split at the line breaks that came back.
ReplyLines ReadReply(const std::string& segment)
{
    ReplyLines reply;
    LineBuilder builder;
    std::size_t at = 0;
    while (at < segment.size()) {
        const char c = segment[at++];
        if (c == '\\' && at < segment.size()) {
            builder.AddCharacter(segment[at++]);
        } else if (c == '[') {
            const std::string bracketed = ReadBracketedBlank(segment, at);
            if (!bracketed.starts_with(LineBreakMark)) {
                builder.AddBracketed(bracketed);
                continue;
            }
            reply.lines.push_back(builder.TakeLine());
            reply.breaksInOrder
                = reply.breaksInOrder && bracketed == LineBreakText(reply.lines.size());
        } else if (IsBlankByte(c)) {
            builder.AddPlainBlank();
        } else {
            builder.AddCharacter(c);
        }
    }
    reply.lines.push_back(builder.TakeLine());
    return reply;
}

// A line of blanks and carets only sends nothing, and nothing comes back for it.
bool HasWords(std::string_view line)
{
    return EndOfBlanks(line, 0) < StartOfLineEnd(line);
}

std::string WithEdgesOf(const std::string& requestLine, const std::string& line)
{
    const std::size_t leading = EndOfBlanks(requestLine, 0);
    const std::size_t trailing = StartOfLineEnd(requestLine);
    return requestLine.substr(0, leading) + line + requestLine.substr(std::max(leading, trailing));
}

} // namespace

std::string ParagraphSegment(std::span<const std::string> lines)
{
    std::size_t size = 2;
    for (const auto& line : lines)
        size += line.size() + line.size() / 8 + 8;
    std::string segment;
    segment.reserve(size);
    SegmentWriter writer(segment);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            segment += '[' + LineBreakText(i) + ']';
        writer.AddLine(lines[i]);
    }
    return segment + "[]";
}

std::string ApertiumSegment(const std::string& line)
{
    return ParagraphSegment({ &line, 1 });
}

// A segment of one line holds no line break; should one come back all the
// same, the pieces around it are joined rather than lost.
std::string LineOfApertiumSegment(const std::string& segment, const std::string& requestLine)
{
    const std::vector<std::string> lines = ReadReply(segment).lines;
    std::string line = lines.front();
    for (std::size_t i = 1; i < lines.size(); ++i)
        line += (line.empty() || lines[i].empty() ? "" : " ") + lines[i];
    return WithEdgesOf(requestLine, line);
}

std::optional<std::vector<std::string>> LinesOfParagraphSegment(
    const std::string& segment, std::span<const std::string> requestLines)
{
    ReplyLines reply = ReadReply(segment);
    if (!reply.breaksInOrder || reply.lines.size() != requestLines.size())
        return std::nullopt;
    for (std::size_t i = 0; i < reply.lines.size(); ++i) {
        if (reply.lines[i].empty() && reply.lines.size() > 1 && HasWords(requestLines[i]))
            return std::nullopt;
        reply.lines[i] = WithEdgesOf(requestLines[i], reply.lines[i]);
    }
    return reply.lines;
}

} // namespace service
