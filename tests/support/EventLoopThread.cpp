#include "tests/support/EventLoopThread.h"

#include <utility>

EventLoopThread::EventLoopThread()
{
    thread_.start();
    context_.moveToThread(&thread_);
}

EventLoopThread::~EventLoopThread()
{
    thread_.quit();
    thread_.wait();
}

// The caller holds the lock while it posts, and the posted call takes it
// first: so the call starts after everything the caller did, and the caller
// goes on only after the call has finished.
void EventLoopThread::Call(const std::function<void()>& call)
{
    std::unique_lock lock(mutex_);
    call_ = call;
    done_ = false;
    QMetaObject::invokeMethod(
        &context_, [this] { RunCall(); }, Qt::QueuedConnection);
    finished_.wait(lock, [this] { return done_; });
}

void EventLoopThread::RunCall()
{
    std::lock_guard lock(mutex_);
    std::exchange(call_, {})();
    done_ = true;
    finished_.notify_one();
}
