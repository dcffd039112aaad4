#include "service/ReplyPage.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>

namespace service {

namespace {

const std::string RefusalSentence = "Sorry, this text cannot be translated";
const std::string NoBreakSpace = "\xC2\xA0";

const std::string PageStart = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n";
const std::string HeadEnd = "<title>Tornalo translation service</title></head>\n<body>\n";
const std::string PageEnd = "</body></html>\n";

struct Reference {
    char character;
    const char* written;
};

// In a result, markup characters and "&" are written as numeric references:
// "&amp;" would come back as "&" before references are decoded, so a text
// holding "&#65;" would lose it.
constexpr std::array<Reference, 5> NumericReferences = { { { '&', "&#38;" }, { '<', "&#60;" },
    { '>', "&#62;" }, { '"', "&#34;" }, { '\'', "&#39;" } } };
// Elsewhere on the page, as any browser reads them.
constexpr std::array<Reference, 4> NamedReferences
    = { { { '&', "&amp;" }, { '<', "&lt;" }, { '>', "&gt;" }, { '"', "&quot;" } } };

std::string Escaped(const std::string& text, std::span<const Reference> references)
{
    std::string escaped;
    escaped.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        const auto reference = std::find_if(references.begin(), references.end(),
            [c](const Reference& candidate) { return candidate.character == c; });
        if (reference == references.end())
            escaped += c;
        else
            escaped += reference->written;
    }
    return escaped;
}

// The refusal sentence anywhere on a page makes the program drop the whole
// translation, so a translation that says it is written with one reference.
void HideRefusalSentence(std::string& escaped)
{
    for (std::size_t at = escaped.find(RefusalSentence); at != std::string::npos;
         at = escaped.find(RefusalSentence, at)) {
        escaped.replace(at, 1, "&#83;");
    }
}

// After a line break the program drops one leading no-break space, and before
// one it drops up to two spaces.
void GuardLineEdges(std::string& escaped, bool last)
{
    if (escaped.starts_with(NoBreakSpace))
        escaped.replace(0, NoBreakSpace.size(), "&#160;");
    if (!last && escaped.ends_with(' '))
        escaped.replace(escaped.size() - 1, 1, "&#32;");
}

std::string Piece(const std::string& text)
{
    return "<span onmouseover=\"this.style.backgroundColor='#ebeff9'\" "
           "onmouseout=\"this.style.backgroundColor='#fff'\">"
        + text + "</span>";
}

// The program searches the whole page for these, so none may stand in the
// head. Only a server's address can bring one there: its first character
// is percent-encoded, which leaves the address the same.
std::string WithoutPageMarkers(std::string text)
{
    for (const std::string& marker :
        { std::string("Translate"), std::string("this.style.backgroundColor"), RefusalSentence }) {
        for (std::size_t at = text.find(marker); at != std::string::npos;
             at = text.find(marker, at)) {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(text[at]));
            text.replace(at, 1, code);
        }
    }
    return text;
}

std::string Meta(const std::string& name, const std::string& content)
{
    return "<meta name=\"" + name + "\" content=\""
        + Escaped(WithoutPageMarkers(content), NamedReferences) + "\">\n";
}

std::string RouteHead(const HopRoute& route)
{
    std::string via;
    for (const auto& language : route.via)
        via += (via.empty() ? "" : ",") + language;
    return Meta("tornalo-engine", route.engine) + Meta("tornalo-via", via);
}

} // namespace

std::string PieceText(const std::string& line, bool first, bool last)
{
    std::string escaped = Escaped(line, NumericReferences);
    HideRefusalSentence(escaped);
    GuardLineEdges(escaped, last);
    return first ? escaped : "<br>" + escaped;
}

std::string ResultPage(const std::vector<std::string>& lines, const HopRoute& route)
{
    std::string page = PageStart + RouteHead(route) + HeadEnd;
    page += "<form method=\"post\" action=\"/\"><input type=\"submit\" name=\"submit\" "
            "value=\"Translate\"></form>\n<div><span id=result_box class=\"long_text\">";
    for (std::size_t i = 0; i < lines.size(); ++i)
        page += Piece(PieceText(lines[i], i == 0, i + 1 == lines.size())) + "\n";
    page += "</span></div>\n";
    return page + PageEnd;
}

std::string RefusalPage(const std::string& reason)
{
    return PageStart + HeadEnd + "<p>" + RefusalSentence + ".</p>\n<p id=\"tornalo-reason\">"
        + Escaped(reason, NamedReferences) + "</p>\n" + PageEnd;
}

} // namespace service
