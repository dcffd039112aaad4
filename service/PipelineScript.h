// The shell pipeline a mode file describes ("prog -a 'file' | prog $1 ..."),
// as the programs and arguments the service starts itself, so that it knows
// every process of a pipeline.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace service {

// One program of a pipeline: its name followed by its arguments.
using Command = std::vector<std::string>;

// Splits script at unquoted "|" into commands and each command into words
// ('...' and "..." quoting, backslash escapes). "$1", "$2", ... become the
// given arguments; a word that is an unquoted reference to an empty or
// missing argument is dropped, as the shell would. Nothing when the script
// uses any other shell syntax or names no program.
std::optional<std::vector<Command>> CommandsOfPipelineScript(
    const std::string& script, const std::vector<std::string>& arguments);

} // namespace service
