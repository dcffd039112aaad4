#include "run/TranslationRequest.h"

#include "text/AsciiText.h"
#include "text/PercentCoding.h"

namespace {

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'
        || c == '.' || c == '_' || c == '~';
}

} // namespace

// application/x-www-form-urlencoded: a text holding "&", "=", "+" or "%" must
// reach the service whole, so every byte but the unreserved ones is escaped.
std::string FormEncode(const std::string& value)
{
    return text::PercentEncode(value, IsUnreserved, text::Blank::Plus);
}

bool SplitFirst(std::string& source, std::string& head, std::string_view separator, bool trim)
{
    if (source.empty())
        return false;
    const std::size_t at = source.find(separator);
    if (at == std::string::npos) {
        head = trim ? text::Trim(source) : source;
        source.clear();
        return true;
    }
    head = source.substr(0, at);
    source.erase(0, at + separator.size());
    if (trim) {
        head = std::string(text::Trim(head));
        source = std::string(text::Trim(source));
    }
    return true;
}

std::string PrepareRequestText(const std::string& text)
{
    return text;
}

std::string RequestBody(
    const std::string& sourceCode, const std::string& targetCode, const std::string& text)
{
    return "sl=" + FormEncode(sourceCode) + "&tl=" + FormEncode(targetCode)
        + "&hl=en&ie=UTF-8&oe=UTF-8&prev=_t&js=n&submit=Translate&text=" + FormEncode(text);
}

std::string RequestBlock(const std::string& entry, const std::string& text)
{
    const std::string rule30(30, '-');
    return "\n" + rule30 + " TRANSLATING: " + entry + " " + rule30 + "  \n:" + text + "\n"
        + std::string(78, '-') + "  \n:";
}
