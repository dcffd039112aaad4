#include "service/FormFields.h"

namespace service {

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::string> DecodeComponent(std::string_view encoded)
{
    std::string decoded;
    decoded.reserve(encoded.size());
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c == '+') {
            decoded += ' ';
        } else if (c != '%') {
            decoded += c;
        } else {
            if (i + 2 >= encoded.size())
                return std::nullopt;
            const int high = HexValue(encoded[i + 1]);
            const int low = HexValue(encoded[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            decoded += static_cast<char>(high * 16 + low);
            i += 2;
        }
    }
    return decoded;
}

} // namespace

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
        const auto name = DecodeComponent(pair.substr(0, equals));
        const auto value = DecodeComponent(pair.substr(std::min(equals + 1, pair.size())));
        if (!name || !value) {
            error = "the form has a broken %-escape";
            return std::nullopt;
        }
        if (!fields.emplace(*name, *value).second) {
            error = "the form names the field \"" + *name + "\" twice";
            return std::nullopt;
        }
    }
    return fields;
}

} // namespace service
