// A thread with an event loop of its own, for the servers that tests run
// beside the code under test, and calls handed to it that the caller waits
// for. Qt's blocking queued call waits on a lock ThreadSanitizer cannot see
// into; this one hands the call over and back under a lock of the standard
// library, so that everything the call did is ordered before the caller goes
// on, for the sanitizer too.
#pragma once

#include <QObject>
#include <QThread>
#include <condition_variable>
#include <functional>
#include <mutex>

class EventLoopThread {
public:
    EventLoopThread();
    ~EventLoopThread();
    EventLoopThread(const EventLoopThread&) = delete;
    EventLoopThread& operator=(const EventLoopThread&) = delete;

    // The object whose thread is this one: the parent of what lives there.
    QObject& Context() { return context_; }
    // Runs the call on this thread and returns when it has run. Calls come
    // from one thread at a time.
    void Call(const std::function<void()>& call);

private:
    void RunCall();

    // Made before the thread starts, so that the thread's first use of them
    // is ordered after their making.
    std::mutex mutex_;
    std::condition_variable finished_;
    std::function<void()> call_;
    bool done_ = false;
    QThread thread_;
    QObject context_;
};
