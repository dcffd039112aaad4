// The shell's "open" action for files, web addresses and programs. Tests
// replace the handler to record what would have been opened.
#pragma once

#include <functional>
#include <string>

namespace platform {

struct ShellRequest {
    std::string target; // file, folder, web address or program
    std::string parameters; // command line for a program; empty otherwise
    std::string directory; // working directory for a program; may be empty
    // Called from the event loop when the desktop could not open a document
    // or address, with the reason as a sentence without its full stop.
    std::function<void(const std::string& reason)> onFailure = {};
};

using ShellHandler = std::function<bool(const ShellRequest&)>;

// With parameters, starts the target as a program. Without, opens it as a
// document or address with the application the desktop has for its type,
// whatever its execute bit: a text file on a stick that marks every file
// executable is still a text to read, never a program to run. Returns
// whether the request was handed over; a failure found later goes to
// onFailure.
bool ShellOpen(const ShellRequest& request);

ShellHandler SetShellHandler(ShellHandler handler);

} // namespace platform
