#include "run/HopDetails.h"

#include "run/LanguageTable.h"

#include <string_view>

namespace {

const std::string Arrow = " \xE2\x86\x92 "; // U+2192, between spaces

// The text of the element after marker, up to the first quote (an attribute)
// or "<" (element text); nothing when the page has no such marker.
std::string TextAfter(const std::string& page, std::string_view marker, char end)
{
    const std::size_t start = page.find(marker);
    if (start == std::string::npos)
        return {};
    const std::size_t from = start + marker.size();
    const std::size_t stop = page.find(end, from);
    return page.substr(from, (stop == std::string::npos ? page.size() : stop) - from);
}

// The five references markup escapes with; control bytes become spaces.
std::string Unescape(std::string_view text)
{
    static const std::pair<std::string_view, char> references[] = { { "&amp;", '&' },
        { "&lt;", '<' }, { "&gt;", '>' }, { "&quot;", '"' }, { "&#39;", '\'' } };
    std::string out;
    for (std::size_t i = 0; i < text.size() && out.size() < LongestServiceValue; ++i) {
        bool replaced = false;
        for (const auto& [reference, character] : references) {
            if (text.substr(i).starts_with(reference)) {
                out += character;
                i += reference.size() - 1;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += static_cast<unsigned char>(text[i]) < 0x20 ? ' ' : text[i];
    }
    return out;
}

std::vector<std::string> SplitCodes(const std::string& text)
{
    std::vector<std::string> codes;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        if (comma > from)
            codes.push_back(text.substr(from, comma - from));
        from = comma + 1;
    }
    return codes;
}

} // namespace

HopDetails ReadHopDetails(const std::string& page)
{
    HopDetails details;
    details.engine = Unescape(TextAfter(page, "<meta name=\"tornalo-engine\" content=\"", '"'));
    details.via
        = SplitCodes(Unescape(TextAfter(page, "<meta name=\"tornalo-via\" content=\"", '"')));
    details.reason = Unescape(TextAfter(page, "<p id=\"tornalo-reason\">", '<'));
    return details;
}

std::string HopName(const std::string& sourceCode, const std::string& targetCode)
{
    return LanguageNameOfCode(sourceCode) + Arrow + LanguageNameOfCode(targetCode);
}

std::string RouteText(const HopDetails& details)
{
    const std::string libreTranslate = "libretranslate ";
    if (details.engine.starts_with(libreTranslate))
        return " (LibreTranslate at " + details.engine.substr(libreTranslate.size()) + ")";
    if (details.via.empty())
        return {};
    std::string text = " (via ";
    for (std::size_t i = 0; i < details.via.size(); ++i)
        text += (i == 0 ? "" : ", ") + LanguageNameOfCode(details.via[i]);
    return text + ")";
}
