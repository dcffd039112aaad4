// Programs started to run on their own, beyond the life of the program that
// started them (the local translation service). What such a program prints
// is kept aside in a file of its own instead of reaching the starter's
// terminal, so that the starter can show it when the program fails. Tests
// replace the starting function to stand in for the program.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct ProgramCommand {
    std::string program; // full path
    std::vector<std::string> arguments;
    std::string directory; // working directory; may be empty
};

class BackgroundProgram {
public:
    virtual ~BackgroundProgram() = default;

    // False when the program could not be started; Output then says why.
    virtual bool Started() const = 0;
    // False once the program has ended (or never started).
    virtual bool Running() const = 0;
    // What the program has printed so far, its standard output and error
    // together, in the order written.
    virtual std::string Output() const = 0;
    // The system's process id, 0 when not started.
    virtual long long ProcessId() const = 0;
};

using BackgroundProgramHandler
    = std::function<std::unique_ptr<BackgroundProgram>(const ProgramCommand&)>;

// Starts the program in a session of its own, its input empty and its
// output collected. The program goes on after the returned object is
// destroyed; only the collected output goes then.
std::unique_ptr<BackgroundProgram> StartBackgroundProgram(const ProgramCommand& command);

// Starts it for real, whatever handler is in place.
std::unique_ptr<BackgroundProgram> StartDetachedProgram(const ProgramCommand& command);

// An empty handler restores the real start. Returns the handler in place.
BackgroundProgramHandler SetBackgroundProgramHandler(BackgroundProgramHandler handler);

} // namespace platform
