// Worker thread component: runs a body on one operating-system thread per
// run, started suspended, and hands calls over to the main thread, waiting
// until they have run there.
#pragma once

#include "transfer/acComponent.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// The platform's priority value of each member and back; a value that no
// member has reads as tpNormal.
int ThreadPriorityValue(TThreadPriority priority);
TThreadPriority ThreadPriorityFromValue(int value);

using TThreadMethod = std::function<void()>;
using TacThreadMethodEvent = std::function<void(TObject* Sender, TThreadMethod& Method)>;
using TacThreadWaitTimeoutExpired = std::function<void(TObject* Sender, bool& TerminateThread)>;

// Thrown by a body that noticed the stop request: the thread ends at once,
// without the termination call, and the thread object stays Running.
struct TacThreadExit { };

// How many hand-over objects exist (0 or 1) and how many thread objects hold
// one; the hand-over object lives while any thread object does.
int HandOverWindowCount();
int HandOverWindowReferences();

class TacCustomThread;
struct TacHandOver;

// One run of a TacCustomThread. Shared by the component and the running
// thread itself, so that an abandoned run can finish on its own.
class TacEventThread : public std::enable_shared_from_this<TacEventThread> {
public:
    static std::shared_ptr<TacEventThread> Create(TacCustomThread* thread);
    ~TacEventThread();
    TacEventThread(const TacEventThread&) = delete;
    TacEventThread& operator=(const TacEventThread&) = delete;

    void Resume();
    void Suspend();
    bool GetSuspended() const;
    void Terminate() { terminated_.store(true); }
    bool GetTerminated() const { return terminated_.load(); }
    bool Running() const { return running_.load(); }
    bool Finished() const { return finished_.load(); }
    bool Abandoned() const { return abandoned_.load(); }
    int Handle() const { return threadId_.load(); }
    int GetThreadID() const { return threadId_.load(); }
    uint32_t GetReturnValue() const { return returnValue_.load(); }
    void SetReturnValue(uint32_t value) { returnValue_.store(value); }
    bool GetFreeOnTerminate() const { return freeOnTerminate_.load(); }
    void SetFreeOnTerminate(bool value) { freeOnTerminate_.store(value); }
    TThreadPriority GetPriority() const { return ThreadPriorityFromValue(priority_.load()); }
    void SetPriority(TThreadPriority priority);

    // Parks the calling worker while a suspension is asked for.
    void WaitWhileSuspended();
    // Runs Method on the main thread while the calling worker waits.
    void Synchronize(const TThreadMethod& Method);
    // Waits for the thread to end; on the main thread hand-overs still run.
    uint32_t WaitFor();
    // Main thread: this run no longer belongs to its component. It hands
    // nothing over again and frees itself when its body returns.
    void Abandon();
    // Main thread: the component lets go of a run that was never started.
    void Release();
    // Main thread, from the hand-over object.
    void RunHandOver(TacHandOver& handOver);

    // The run that the calling worker thread carries out; null elsewhere.
    static TacEventThread* Current();
    // How many thread objects exist in the process.
    static int LiveCount();

private:
    explicit TacEventThread(TacCustomThread* thread);
    void ThreadProcedure();
    void RunBody();
    void TerminationCall();
    bool OwnerDestroying() const;
    void MarkFinished();

    TacCustomThread* owner_;
    TNotifyEvent onExecute_;
    TNotifyEvent onException_;
    TNotifyEvent onTerminate_;
    TacThreadMethodEvent onSynchronization_;
    bool handleExceptions_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int suspendCount_ = 1;
    bool resumed_ = false;
    bool released_ = false;
    int handOversWaiting_ = 0;
    std::atomic<bool> terminated_ { false };
    std::atomic<bool> running_ { false };
    std::atomic<bool> finished_ { false };
    std::atomic<bool> abandoned_ { false };
    std::atomic<bool> freeOnTerminate_ { false };
    std::atomic<uint32_t> returnValue_ { 0 };
    std::atomic<int> priority_ { 0 };
    std::atomic<int> threadId_ { 0 };
    QObject* window_;
    std::thread thread_;
};

class TacCustomThread : public TacComponent {
    Q_OBJECT
public:
    explicit TacCustomThread(QObject* owner = nullptr);
    ~TacCustomThread() override;

    bool HandleExceptions = true;
    TNotifyEvent OnException;
    TNotifyEvent OnExecute;
    TacThreadMethodEvent OnSynchronization;
    TNotifyEvent OnTerminate;
    TacThreadWaitTimeoutExpired OnWaitTimeoutExpired;

    bool GetWaitThread() const { return waitThread_; }
    void SetWaitThread(bool value) { waitThread_ = value; }
    uint32_t GetWaitTimeout() const { return waitTimeout_; }
    void SetWaitTimeout(uint32_t value) { waitTimeout_ = value; }
    bool GetFreeOnTerminate() const { return freeOnTerminate_; }
    void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }

    bool Execute();
    void Terminate(bool Immediate = false);
    void Suspend() { current_->Suspend(); }
    void Resume() { current_->Resume(); }
    void Synchronize(const TThreadMethod& Method);
    uint32_t WaitFor() { return current_->WaitFor(); }
    bool WaitForEvent();
    bool ExecuteAndWaitForEvent();
    // Releases a waiter of WaitForEvent or ExecuteAndWaitForEvent; any thread.
    void SetEvent();

    bool GetTerminated() const { return current_->GetTerminated(); }
    bool Running() const { return current_->Running(); }
    bool RunningAndNotSuspended() const { return Running() && !GetSuspended(); }
    int Handle() const { return current_->Handle(); }
    int GetThreadID() const { return current_->GetThreadID(); }
    uint32_t GetReturnValue() const { return current_->GetReturnValue(); }
    void SetReturnValue(uint32_t value) { current_->SetReturnValue(value); }
    bool GetSuspended() const { return current_->GetSuspended(); }
    void SetSuspended(bool value);
    TThreadPriority GetPriority() const { return priority_; }
    void SetPriority(TThreadPriority priority);

    // The run in place now. A body asks TacEventThread::Current() for its
    // own run instead: this one may already have been replaced.
    std::shared_ptr<TacEventThread> CurrentThread() const { return current_; }

private:
    friend class TacEventThread;
    void ReplaceThreadObject();
    bool WaitLoop(const std::shared_ptr<TacEventThread>& thread);
    bool WaitTimeoutExpired();
    void FreeOwner();

    std::shared_ptr<TacEventThread> current_;
    TThreadPriority priority_ = tpNormal;
    bool waitThread_ = false;
    uint32_t waitTimeout_ = 0;
    bool freeOnTerminate_ = false;
    std::mutex eventMutex_;
    std::condition_variable eventChanged_;
    bool eventSet_ = false;
};

// The published form of the thread component.
class TacThread : public TacCustomThread {
    Q_OBJECT
    Q_PROPERTY(bool HandleExceptions MEMBER HandleExceptions)
    Q_PROPERTY(bool Suspended READ GetSuspended WRITE SetSuspended)
    Q_PROPERTY(bool WaitThread READ GetWaitThread WRITE SetWaitThread)
    Q_PROPERTY(uint WaitTimeout READ GetWaitTimeout WRITE SetWaitTimeout)
public:
    using TacCustomThread::TacCustomThread;
};
