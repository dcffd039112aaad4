// The windows that use the service: each says so once its service answers,
// and counts until its process has gone. When the last one has gone, the
// service ends soon, unless tornalo-cli has used it within its idle time.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <mutex>
#include <set>

namespace service {

class WindowHolders {
public:
    using Clock = std::chrono::steady_clock;

    // Only a process of the service's own user holds it.
    bool Hold(pid_t process);
    // Forgets the processes that have ended.
    void Prune(Clock::time_point now);
    // Whether a window held the service once and none does since, and for
    // how long.
    bool AllGone() const;
    Clock::duration GoneFor(Clock::time_point now) const;

private:
    mutable std::mutex mutex_;
    std::set<pid_t> holders_;
    bool everHeld_ = false;
    Clock::time_point lastGone_;
};

} // namespace service
