// One long-running Apertium pipeline for one mode file: its programs started
// on first use, each by the service itself so that it knows every process,
// fed NUL-ended segments and killed and started afresh when it stalls or any
// of its programs dies.
#pragma once

#include "service/PipelineScript.h"

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace service {

class ApertiumPipeline {
public:
    // A fresh pipeline's programs load their dictionaries before they
    // answer: its first request may take startAllowance longer.
    explicit ApertiumPipeline(std::string modeFile, std::chrono::milliseconds startAllowance = {});
    ~ApertiumPipeline();
    ApertiumPipeline(const ApertiumPipeline&) = delete;
    ApertiumPipeline& operator=(const ApertiumPipeline&) = delete;

    // Translates stream-format segments, sent together: one reply segment
    // for each. A pipeline found dead before or during the request is
    // started again within it. Nothing when the pipeline cannot start, stays
    // silent past the time-out or answers a segment with nothing; it is then
    // killed, and the next request starts it again.
    std::optional<std::vector<std::string>> Translate(
        const std::vector<std::string>& segments, std::chrono::milliseconds timeout);

    // Starts the programs if they do not run and passes a short text through
    // them, so that the first request finds each of them past its first
    // text. False when they cannot start or do not answer; they are then
    // left stopped, for the first request to start again.
    bool WarmUp();
    // Ends, from another thread, a start or an exchange in progress: the
    // programs are killed and the pipeline is not started again.
    void Abandon();
    // Stops the pipeline when it is not busy and has been unused that long.
    void StopIfIdle(std::chrono::steady_clock::duration idle);
    // When it last served a request (or was started), if it is running and
    // not busy now.
    std::optional<std::chrono::steady_clock::time_point> IdleSince();
    void Stop();

    // The process group of the running pipeline, or 0.
    pid_t ProcessGroup() const;
    // Its programs' processes, first to last; empty when it does not run.
    std::vector<pid_t> Processes() const;
    // How many times the pipeline has been started.
    std::size_t Starts() const;

private:
    enum class Outcome { Reply, Died, TimedOut };
    using TimePoint = std::chrono::steady_clock::time_point;

    bool StartLocked(TimePoint deadline);
    bool SpawnLocked(const std::vector<Command>& commands);
    void StopLocked();
    bool RunningLocked(std::size_t programs);
    bool IsWholeReply(const std::vector<std::string>& replies);
    Outcome Exchange(const std::string& request, std::size_t segments,
        std::vector<std::string>& replies, TimePoint deadline);

    const std::string modeFile_;
    // The mode's programs, read once from the mode file.
    std::optional<std::vector<Command>> commands_;
    mutable std::mutex mutex_;
    pid_t group_ = 0;
    // A process already reaped is 0.
    std::vector<pid_t> processes_;
    int input_ = -1;
    int output_ = -1;
    TimePoint lastUse_;
    TimePoint started_;
    // Whether the programs have answered since they were started.
    bool answered_ = false;
    std::chrono::milliseconds startAllowance_;
    // Read without the lock, which a request holds for its whole exchange.
    std::atomic<std::size_t> starts_ = 0;
    std::atomic<pid_t> liveGroup_ = 0;
    std::atomic<bool> abandoned_ = false;
};

} // namespace service
