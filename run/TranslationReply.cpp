#include "run/TranslationReply.h"

#include "text/Utf8.h"
#include "text/WholeFile.h"

#include <array>
#include <optional>
#include <utility>

namespace {

const std::string RefusalSentence = "Sorry, this text cannot be translated";
const std::string TranslateWord = "Translate";
const std::string ResultBoxStart = "<span id=result_box";
const std::string PieceStart = "this.style.backgroundColor='#fff'\">";
const std::string PieceEnd = "</span>";
const std::string RuleOfAsterisks(39, '*');

// Every marker-and-closing-tag pair from the result box to the end of the page
// gives a piece; pieces are joined by one space, empty ones included.
std::string JoinPieces(const std::string& page, std::size_t from)
{
    std::string result;
    for (;;) {
        std::size_t start = page.find(PieceStart, from);
        if (start == std::string::npos)
            break;
        start += PieceStart.size();
        const std::size_t end = page.find(PieceEnd, start);
        if (end == std::string::npos)
            break;
        if (!result.empty())
            result += ' ';
        result.append(page, start, end - start);
        from = end + 1;
    }
    return result;
}

std::string ReplaceAll(const std::string& text, std::string_view find, std::string_view by)
{
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(find); at != std::string::npos; at = text.find(find, from)) {
        out.append(text, from, at - from);
        out += by;
        from = at + find.size();
    }
    out.append(text, from, std::string::npos);
    return out;
}

// A reference names a Windows-1252 byte; it is written as that character in
// UTF-8. The five unassigned bytes keep their control code points, as HTML does.
unsigned Windows1252CodePoint(unsigned value)
{
    static const std::array<unsigned, 32> high = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026,
        0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090,
        0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A,
        0x0153, 0x009D, 0x017E, 0x0178 };
    return (value >= 0x80 && value < 0xA0) ? high[value - 0x80] : value;
}

// Looks at up to four characters after "&#": digits are collected, a ";"
// with a value of 1 to 255 ends the reference, a ";" without one is passed
// over, anything else ends the attempt. Returns the value and the position
// after the ";".
std::optional<std::pair<unsigned, std::size_t>> ReadReference(
    const std::string& text, std::size_t hash)
{
    unsigned value = 0;
    bool haveDigits = false;
    const std::size_t last = std::min(text.size(), hash + 5);
    for (std::size_t i = hash + 1; i < last; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            value = value * 10 + static_cast<unsigned>(c - '0');
            haveDigits = true;
        } else if (c == ';') {
            if (haveDigits && value >= 1 && value <= 255)
                return std::pair { value, i + 1 };
        } else {
            break;
        }
    }
    return std::nullopt;
}

std::string DecodeReferences(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const bool attempt = text[i] == '&' && i + 1 < text.size() && text[i + 1] == '#'
            && text.size() - (i + 2) >= 2;
        if (attempt) {
            if (const auto reference = ReadReference(text, i + 1)) {
                text::AppendUtf8(out, Windows1252CodePoint(reference->first));
                i = reference->second;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

std::string ReplyBlock(const std::string& heading, const std::string& text)
{
    return "\n" + heading + "\n" + text + "\n" + RuleOfAsterisks + "\n";
}

} // namespace

std::string ExtractTranslation(
    const std::string& fileName, std::string& statusMessage, TDebugLog& debugLog)
{
    std::optional<std::string> page = text::ReadWholeFile(fileName);
    if (!page) {
        statusMessage = "Error: could not open result file.";
        return {};
    }
    return ExtractTranslationFromPage(std::move(*page), statusMessage, debugLog);
}

std::string ExtractTranslationFromPage(
    std::string page, std::string& statusMessage, TDebugLog& debugLog)
{
    if (const std::size_t zero = page.find('\0'); zero != std::string::npos)
        page.resize(zero);
    if (page.find(RefusalSentence) != std::string::npos) {
        statusMessage = "Error: text could not be translated sensibly.";
        return {};
    }
    const std::size_t translate = page.find(TranslateWord);
    if (translate == std::string::npos) {
        statusMessage = "Error: could not find result translation on result page.";
        return {};
    }
    const std::size_t box = page.find(ResultBoxStart, translate);
    if (box == std::string::npos) {
        statusMessage = "Error: improper result translation on result page (type 1).";
        return {};
    }
    const std::string raw = JoinPieces(page, box);
    if (raw.empty()) {
        statusMessage = "Error: improper result translation on result page (type 4).";
        return {};
    }
    debugLog.Append(ReplyBlock("************ RAW REPLY ***************", raw));
    std::string fixed = FixReplyText(raw);
    debugLog.Append(ReplyBlock("************FIXED REPLY ***************", fixed));
    return fixed;
}

std::string FixReplyText(const std::string& text)
{
    static const std::array<std::pair<std::string_view, std::string_view>, 13> passes = { {
        { "  &lt;br&gt;  ", "\n" },
        { "&lt;br&gt;", "\n" },
        { "&lt;br/&gt;", "\n" },
        { "&lt;br /&gt;", "\n" },
        { "&amp;", "&" },
        { "&quot;", "\"" },
        { "\n<br>", "\n" },
        { "\r<br>", "\n" },
        { "<br>", "\n" },
        { " \n", "\n" },
        { " \n", "\n" },
        { "\n\xC2\xA0 ", "\n" },
        { "\n\xC2\xA0", "\n" },
    } };
    std::string fixed = text;
    for (const auto& [find, by] : passes)
        fixed = ReplaceAll(fixed, find, by);
    return DecodeReferences(fixed);
}
