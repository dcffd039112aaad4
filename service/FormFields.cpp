#include "service/FormFields.h"

#include "text/AsciiText.h"
#include "text/PercentCoding.h"

namespace service {

bool IsFormType(std::string_view contentType)
{
    const std::string_view mediaType = text::Trim(contentType.substr(0, contentType.find(';')));
    return text::Trim(contentType).empty() || text::SameText(mediaType, FormType);
}

std::optional<FormFields> DecodeForm(std::string_view body, std::string& error)
{
    FormFields fields;
    while (!body.empty()) {
        const std::size_t end = std::min(body.find('&'), body.size());
        const std::string_view pair = body.substr(0, end);
        body.remove_prefix(std::min(end + 1, body.size()));
        if (pair.empty())
            continue;
        const std::size_t equals = std::min(pair.find('='), pair.size());
        const auto name = text::PercentDecode(pair.substr(0, equals), text::Blank::Plus);
        auto value = text::PercentDecode(
            pair.substr(std::min(equals + 1, pair.size())), text::Blank::Plus);
        if (!name.intact || !value.intact) {
            error = "the form has a broken %-escape";
            return std::nullopt;
        }
        if (!fields.emplace(name.text, std::move(value.text)).second) {
            error = "the form names the field \"" + name.text + "\" twice";
            return std::nullopt;
        }
    }
    return fields;
}

} // namespace service
