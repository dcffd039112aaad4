// One long-running Apertium pipeline for one translation direction: started
// on first use, fed one NUL-ended request at a time, killed and started
// afresh when it stalls or dies.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <string>

namespace service {

class ApertiumPipeline {
public:
    explicit ApertiumPipeline(std::string modeFile);
    ~ApertiumPipeline();
    ApertiumPipeline(const ApertiumPipeline&) = delete;
    ApertiumPipeline& operator=(const ApertiumPipeline&) = delete;

    // Translates one stream-format request. Nothing when the pipeline cannot
    // start, stays silent past the time-out or answers nothing; it is then
    // killed, and the next request starts it again.
    std::optional<std::string> Translate(
        const std::string& stream, std::chrono::milliseconds timeout);

    // Stops the pipeline when it is not busy and has been unused that long.
    void StopIfIdle(std::chrono::steady_clock::duration idle);
    // When it last served a request, if it is running and not busy now.
    std::optional<std::chrono::steady_clock::time_point> IdleSince();
    // Running or busy.
    bool IsLive();
    void Stop();

    // The process group of the running pipeline, or 0.
    pid_t ProcessGroup() const;

private:
    enum class Outcome { Reply, Died, TimedOut };

    bool StartLocked();
    void StopLocked();
    bool RunningLocked();
    Outcome Exchange(const std::string& request, std::string& reply,
        std::chrono::steady_clock::time_point deadline);

    const std::string modeFile_;
    mutable std::mutex mutex_;
    pid_t process_ = 0;
    int input_ = -1;
    int output_ = -1;
    std::chrono::steady_clock::time_point lastUse_;
};

} // namespace service
