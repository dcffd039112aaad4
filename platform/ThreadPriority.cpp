#include "platform/ThreadPriority.h"

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>

namespace platform {

int CurrentThreadId()
{
    return static_cast<int>(gettid());
}

void SetThreadPriority(int threadId, int priority)
{
    // A higher priority is a lower "nice" value; Linux applies it per thread.
    const int niceness = std::clamp(-priority, -20, 19);
    setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), niceness);
}

} // namespace platform
