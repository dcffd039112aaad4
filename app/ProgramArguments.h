// The window program's own command-line options, answered before any window
// or display exists: --help and --version print and end the program.
// Anything else is left to Qt, which takes options of its own (-platform,
// -display, ...).
#pragma once

#include <optional>
#include <string>
#include <vector>

struct ArgumentAnswer {
    int exitCode = 0;
    std::string output;
    std::string error;
};

// The answer to arguments (the program name left out), or nothing when the
// window is to open. The version is the one the update descriptor of the
// program in programDirectory records, as the update check reads it; the
// licence follows it.
std::optional<ArgumentAnswer> AnswerArguments(
    const std::vector<std::string>& arguments, const std::string& programDirectory);
