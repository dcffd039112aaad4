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
};

using ShellHandler = std::function<bool(const ShellRequest&)>;

// Opens a document or address with the user's preferred application, or
// starts a program when parameters are given or the target is executable.
// Returns whether the request was handed over.
bool ShellOpen(const ShellRequest& request);

ShellHandler SetShellHandler(ShellHandler handler);

} // namespace platform
