#include "service/WindowHolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace service {

namespace {

// A process of this user: its folder under /proc is the user's.
bool IsOwnProcess(pid_t process)
{
    struct stat status { };
    return process > 0 && stat(("/proc/" + std::to_string(process)).c_str(), &status) == 0
        && status.st_uid == geteuid();
}

} // namespace

bool WindowHolders::Hold(pid_t process)
{
    if (!IsOwnProcess(process))
        return false;
    const std::lock_guard lock(mutex_);
    holders_.insert(process);
    everHeld_ = true;
    return true;
}

void WindowHolders::Prune(Clock::time_point now)
{
    const std::lock_guard lock(mutex_);
    const bool held = !holders_.empty();
    std::erase_if(holders_, [](pid_t process) { return !IsOwnProcess(process); });
    if (held && holders_.empty())
        lastGone_ = now;
}

bool WindowHolders::AllGone() const
{
    const std::lock_guard lock(mutex_);
    return everHeld_ && holders_.empty();
}

WindowHolders::Clock::duration WindowHolders::GoneFor(Clock::time_point now) const
{
    const std::lock_guard lock(mutex_);
    return now - lastGone_;
}

} // namespace service
