// Scheduling priority of single threads, for the worker thread component.
#pragma once

namespace platform {

// The kernel's id of the calling thread.
int CurrentThreadId();

// Gives one thread a priority between -15 (lowest) and 15 (highest). Raising
// the priority above normal needs privileges that a desktop program usually
// lacks; the request is then ignored and the thread stays as it was.
void SetThreadPriority(int threadId, int priority);

} // namespace platform
