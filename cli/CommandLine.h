// The command line of tornalo-cli: its options, which mean what the window's
// options mean, and the texts of its help, usage and version.
#pragma once

#include "run/RunEngine.h"
#include "run/ServiceAddress.h"
#include "run/TranslationPlan.h"

#include <optional>
#include <string>
#include <vector>

inline constexpr int DefaultTimeoutSeconds = 60;
inline constexpr int MaxTimeoutSeconds = 86400;

struct CommandLineOptions {
    PlanOptions plan; // home language, languages, loops and the four plan options
    bool pause = false;
    bool showOriginal = false;
    bool untilStable = false;
    int maxRounds = DefaultMaxRounds;
    std::string url = ServiceURL;
    // Seconds a request may go without a byte from the service; 0 for no limit.
    int timeoutSeconds = DefaultTimeoutSeconds;
    bool json = false;
    // The text given as arguments; without one the text is read from
    // standard input.
    std::optional<std::string> text;
};

enum class CommandLineAction { Run, Help, Version, UsageError };

struct ParsedCommandLine {
    CommandLineAction action = CommandLineAction::Run;
    CommandLineOptions options;
    std::string error; // for a usage error: what is wrong, naming the argument
};

// Parses the arguments after the program's name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The short usage shown after a usage error.
std::string UsageText();
std::string HelpText();
// The version the update descriptor installed beside the program records,
// followed by the licence.
std::string VersionText();
