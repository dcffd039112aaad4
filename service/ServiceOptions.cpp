#include "service/ServiceOptions.h"

#include <charconv>

namespace service {

namespace {

std::optional<int> NumberIn(const std::string& text, int lowest, int highest)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < lowest
        || value > highest)
        return std::nullopt;
    return value;
}

bool ReadOption(
    ServiceOptions& options, const std::string& name, const std::string& value, std::string& error)
{
    if (name == "--port" || name == "--idle-exit") {
        const auto number
            = name == "--port" ? NumberIn(value, 1, 65535) : NumberIn(value, 0, 86400 * 365);
        if (!number) {
            error = "tornalo-service: " + name + " needs a number, not \"" + value + "\"";
            return false;
        }
        (name == "--port" ? options.port : options.idleExitSeconds) = *number;
    } else if (name == "--libretranslate") {
        options.libreTranslateUrl = value;
    } else {
        options.libreTranslateKey = value;
    }
    return true;
}

} // namespace

std::optional<ServiceOptions> ParseServiceOptions(
    const std::vector<std::string>& arguments, std::string& error)
{
    ServiceOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name != "--port" && name != "--idle-exit" && name != "--libretranslate"
            && name != "--libretranslate-key") {
            error = "tornalo-service: unknown option \"" + name + "\"";
            return std::nullopt;
        }
        if (i + 1 >= arguments.size()) {
            error = "tornalo-service: " + name + " needs a value";
            return std::nullopt;
        }
        if (!ReadOption(options, name, arguments[++i], error))
            return std::nullopt;
    }
    return options;
}

std::string ServiceUsage()
{
    return "Usage: tornalo-service [--port N] [--idle-exit SECONDS] [--libretranslate URL]\n"
           "                       [--libretranslate-key KEY]\n"
           "Answers Tornalo's translation requests on 127.0.0.1 (port 8787 by default) with\n"
           "the installed Apertium language pairs, offline. --idle-exit ends the service\n"
           "after that many seconds without a request. --libretranslate forwards the pairs\n"
           "Apertium cannot do to a LibreTranslate server you run.\n";
}

} // namespace service
