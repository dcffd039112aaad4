#include "service/ServiceOptions.h"

#include "ProgramVersion.h"

#include <charconv>
#include <map>

namespace service {

namespace {

struct NumberOption {
    int ServiceOptions::*field;
    int lowest;
    int highest;
};

const std::map<std::string, NumberOption>& NumberOptions()
{
    static const std::map<std::string, NumberOption> options = {
        { "--port", { &ServiceOptions::port, 0, 65535 } },
        { "--idle-exit", { &ServiceOptions::idleExitSeconds, 0, 86400 * 365 } },
        { "--max-pipelines", { &ServiceOptions::maxPipelines, 1, 1000 } },
        { "--pipeline-idle", { &ServiceOptions::pipelineIdleSeconds, 1, 86400 } },
    };
    return options;
}

const std::map<std::string, std::string ServiceOptions::*>& TextOptions()
{
    static const std::map<std::string, std::string ServiceOptions::*> options = {
        { "--libretranslate", &ServiceOptions::libreTranslateUrl },
        { "--libretranslate-key", &ServiceOptions::libreTranslateKey },
        { "--port-file", &ServiceOptions::portFile },
    };
    return options;
}

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
    if (const auto text = TextOptions().find(name); text != TextOptions().end()) {
        options.*text->second = value;
        return true;
    }
    const NumberOption& option = NumberOptions().at(name);
    const auto number = NumberIn(value, option.lowest, option.highest);
    if (!number) {
        error = "tornalo-service: " + name + " needs a number from " + std::to_string(option.lowest)
            + " to " + std::to_string(option.highest) + ", not \"" + value + "\"";
        return false;
    }
    options.*option.field = *number;
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
        if (name == "--version") {
            options.version = true;
            continue;
        }
        if (!NumberOptions().contains(name) && !TextOptions().contains(name)) {
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
    return "Usage: tornalo-service [--port N] [--port-file FILE] [--idle-exit SECONDS]\n"
           "                       [--max-pipelines N] [--pipeline-idle SECONDS]\n"
           "                       [--libretranslate URL] [--libretranslate-key KEY]\n"
           "       tornalo-service --help | --version\n"
           "Answers Tornalo's translation requests on 127.0.0.1 (port 8787 by default) with\n"
           "the installed Apertium language pairs, offline, for the programs of the user\n"
           "who runs it on this machine only. --port 0 takes any free port; --port-file\n"
           "records the port it listens on. --idle-exit ends the service after that many\n"
           "seconds without a request, and sooner once the last window that used it has\n"
           "gone; it also ends when its own program file is replaced or removed.\n"
           "--max-pipelines sets how many Apertium pipelines may run at once (by default as\n"
           "many as half the available memory holds, at about 72 MiB each); a pipeline\n"
           "unused for --pipeline-idle seconds (240 by default) is stopped.\n"
           "--libretranslate forwards the pairs Apertium cannot do to a LibreTranslate\n"
           "server you run.\n";
}

std::string ServiceVersionNumber()
{
    return TORNALO_VERSION;
}

std::string ServiceVersion()
{
    return std::string("tornalo-service ") + TORNALO_VERSION
        + "\n" TORNALO_LICENSE "\n" TORNALO_WARRANTY "\n";
}

} // namespace service
