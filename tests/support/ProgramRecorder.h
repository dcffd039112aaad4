// Records the programs the service starter starts. By default it starts
// none and hands back a stand-in whose state the test sets; ForReal starts
// each for real and ends the ones still running, by their ids, when the
// recorder goes.
#pragma once

#include "platform/BackgroundProgram.h"

#include <csignal>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct StandInProgramState {
    bool started = true;
    bool running = true;
    std::string output;
};

class StandInProgram final : public platform::BackgroundProgram {
public:
    explicit StandInProgram(std::shared_ptr<StandInProgramState> state)
        : state(std::move(state)) { }
    bool Started() const override { return state->started; }
    bool Running() const override { return state->started && state->running; }
    std::string Output() const override { return state->output; }
    long long ProcessId() const override { return 0; }

private:
    std::shared_ptr<StandInProgramState> state;
};

class ProgramRecorder {
public:
    enum Mode { StandIn, ForReal };

    explicit ProgramRecorder(Mode mode = StandIn)
    {
        previous = platform::SetBackgroundProgramHandler(
            [this, mode](const platform::ProgramCommand& command) {
                commands.push_back(command);
                if (onStart)
                    onStart(command);
                if (mode == StandIn)
                    return std::unique_ptr<platform::BackgroundProgram>(
                        std::make_unique<StandInProgram>(state));
                auto program = platform::StartDetachedProgram(command);
                processIds.push_back(program->ProcessId());
                return program;
            });
    }

    ~ProgramRecorder()
    {
        platform::SetBackgroundProgramHandler(previous);
        for (const long long id : processIds)
            if (id > 0)
                kill(static_cast<pid_t>(id), SIGTERM);
    }

    ProgramRecorder(const ProgramRecorder&) = delete;
    ProgramRecorder& operator=(const ProgramRecorder&) = delete;

    std::vector<platform::ProgramCommand> commands;
    std::shared_ptr<StandInProgramState> state = std::make_shared<StandInProgramState>();
    std::function<void(const platform::ProgramCommand&)> onStart;

private:
    std::vector<long long> processIds;
    platform::BackgroundProgramHandler previous;
};
