#include "transfer/acThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;

bool OnMainThread()
{
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

// Pumps the main thread's events until the condition holds or 5 s passed.
template <typename Condition> bool PumpUntil(Condition condition)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

class ThreadTest : public testing::Test {
protected:
    void TearDown() override
    {
        EXPECT_TRUE(PumpUntil([] { return TacEventThread::LiveCount() == 0; }));
        EXPECT_TRUE(PumpUntil([] { return HandOverWindowCount() == 0; }));
    }
};

TEST_F(ThreadTest, ExecuteWithoutWaitReturnsAtOnceAndTerminatesOnMainThread)
{
    TacThread thread;
    std::atomic<bool> release { false };
    std::atomic<bool> bodyOnWorker { false };
    bool terminateOnMain = false;
    int terminations = 0;
    thread.OnExecute = [&](TObject* sender) {
        bodyOnWorker = !OnMainThread() && sender == &thread;
        while (!release)
            std::this_thread::sleep_for(1ms);
    };
    thread.OnTerminate = [&](TObject*) {
        terminateOnMain = OnMainThread();
        ++terminations;
    };
    EXPECT_TRUE(thread.Execute());
    EXPECT_TRUE(thread.Running());
    EXPECT_EQ(terminations, 0);
    release = true;
    ASSERT_TRUE(PumpUntil([&] { return terminations == 1; }));
    EXPECT_TRUE(bodyOnWorker);
    EXPECT_TRUE(terminateOnMain);
    EXPECT_TRUE(PumpUntil([&] { return !thread.Running(); }));
}

TEST_F(ThreadTest, WaitThreadBlocksUntilTheTerminationCallHasRun)
{
    TacThread thread;
    thread.SetWaitThread(true);
    std::vector<std::string> order;
    thread.OnExecute = [&](TObject*) { std::this_thread::sleep_for(50ms); };
    thread.OnTerminate = [&](TObject*) { order.push_back("terminate"); };
    EXPECT_TRUE(thread.Execute());
    order.push_back("returned");
    EXPECT_EQ(order, (std::vector<std::string> { "terminate", "returned" }));
}

TEST_F(ThreadTest, SynchronizeRunsOnTheMainThreadWhileTheWorkerWaits)
{
    TacThread thread;
    std::atomic<int> step { 0 };
    bool handedOverOnMain = false;
    int seenByWorkerAfterHandOver = -1;
    thread.OnExecute = [&](TObject*) {
        TacEventThread::Current()->Synchronize([&] {
            handedOverOnMain = OnMainThread();
            std::this_thread::sleep_for(20ms);
            step = 1;
        });
        seenByWorkerAfterHandOver = step;
    };
    thread.SetWaitThread(true);
    thread.Execute();
    EXPECT_TRUE(handedOverOnMain);
    EXPECT_EQ(seenByWorkerAfterHandOver, 1);
}

TEST_F(ThreadTest, OnSynchronizationMayReplaceTheHandedOverMethod)
{
    TacThread thread;
    std::vector<std::string> calls;
    thread.OnSynchronization = [&](TObject*, TThreadMethod& method) {
        calls.push_back("synchronization");
        method = [&] { calls.push_back("replacement"); };
    };
    thread.OnExecute = [&](TObject*) {
        TacEventThread::Current()->Synchronize([&] { calls.push_back("original"); });
    };
    thread.SetWaitThread(true);
    thread.Execute();
    EXPECT_EQ(calls, (std::vector<std::string> { "synchronization", "replacement" }));
}

TEST_F(ThreadTest, ExceptionFromTheBodyIsReportedOnTheMainThreadAndTerminationStillRuns)
{
    TacThread thread;
    std::vector<std::string> calls;
    thread.OnExecute = [](TObject*) { throw std::runtime_error("body failed"); };
    thread.OnException
        = [&](TObject*) { calls.push_back(OnMainThread() ? "exception on main" : "exception"); };
    thread.OnTerminate = [&](TObject*) { calls.push_back("terminate"); };
    thread.SetWaitThread(true);
    thread.Execute();
    EXPECT_EQ(calls, (std::vector<std::string> { "exception on main", "terminate" }));
}

TEST_F(ThreadTest, ExceptionFromAHandOverIsDroppedOnlyWhenHandlingExceptions)
{
    for (const bool handle : { true, false }) {
        TacThread thread;
        thread.HandleExceptions = handle;
        bool continuedAfterHandOver = false;
        bool reported = false;
        thread.OnException = [&](TObject*) { reported = true; };
        thread.OnExecute = [&](TObject*) {
            TacEventThread::Current()->Synchronize(
                [] { throw std::runtime_error("handler failed"); });
            continuedAfterHandOver = true;
        };
        thread.SetWaitThread(true);
        thread.Execute();
        EXPECT_EQ(continuedAfterHandOver, handle);
        EXPECT_FALSE(reported);
    }
}

TEST_F(ThreadTest, ExceptionFromTheTerminationCallGoesToOnException)
{
    TacThread thread;
    bool reported = false;
    thread.OnExecute = [](TObject*) {};
    thread.OnTerminate = [](TObject*) { throw std::runtime_error("termination failed"); };
    thread.OnException = [&](TObject*) { reported = true; };
    thread.SetWaitThread(true);
    thread.Execute();
    EXPECT_TRUE(reported);
}

TEST_F(ThreadTest, WaitTimeoutStopsTheRunWhenTerminateThreadStaysTrue)
{
    TacThread thread;
    std::atomic<bool> release { false };
    int expirations = 0;
    int terminations = 0;
    thread.OnExecute = [&](TObject*) {
        while (!release)
            std::this_thread::sleep_for(1ms);
    };
    thread.OnTerminate = [&](TObject*) { ++terminations; };
    thread.OnWaitTimeoutExpired = [&](TObject* sender, bool& terminate) {
        EXPECT_EQ(sender, &thread);
        EXPECT_TRUE(terminate);
        ++expirations;
    };
    thread.SetWaitThread(true);
    thread.SetWaitTimeout(200);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(thread.Execute());
    EXPECT_GE(clock.elapsed(), 190);
    EXPECT_EQ(expirations, 1);
    EXPECT_TRUE(thread.GetSuspended());
    release = true;
    PumpUntil([] { return TacEventThread::LiveCount() == 1; });
    QCoreApplication::processEvents();
    EXPECT_EQ(terminations, 0);
}

TEST_F(ThreadTest, WaitTimeoutLeftRunningReturnsTrueAndTheRunGoesOn)
{
    TacThread thread;
    std::atomic<bool> release { false };
    int terminations = 0;
    thread.OnExecute = [&](TObject*) {
        while (!release)
            std::this_thread::sleep_for(1ms);
    };
    thread.OnTerminate = [&](TObject*) { ++terminations; };
    thread.OnWaitTimeoutExpired = [](TObject*, bool& terminate) { terminate = false; };
    thread.SetWaitThread(true);
    thread.SetWaitTimeout(100);
    EXPECT_TRUE(thread.Execute());
    EXPECT_EQ(terminations, 0);
    release = true;
    EXPECT_TRUE(PumpUntil([&] { return terminations == 1; }));
}

TEST_F(ThreadTest, WaitTimeoutCountsAfreshFromEveryWakeUp)
{
    TacThread thread;
    std::atomic<bool> release { false };
    thread.OnExecute = [&](TObject*) {
        while (!release)
            std::this_thread::sleep_for(1ms);
    };
    QObject context;
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &context, [&] {
        if (++ticks == 8)
            ticker.stop();
    });
    ticker.start(50);
    qint64 expiredAt = 0;
    QElapsedTimer clock;
    thread.OnWaitTimeoutExpired = [&](TObject*, bool&) { expiredAt = clock.elapsed(); };
    thread.SetWaitThread(true);
    thread.SetWaitTimeout(150);
    clock.start();
    EXPECT_FALSE(thread.Execute());
    release = true;
    EXPECT_TRUE(PumpUntil([] { return TacEventThread::LiveCount() == 1; }));
    // Eight ticks 50 ms apart keep the wait alive for 400 ms; it then
    // expires 150 ms after the last one.
    EXPECT_EQ(ticks, 8);
    EXPECT_GE(expiredAt, 500);
}

TEST_F(ThreadTest, TerminateSetsTheFlagThatTheBodyChecks)
{
    TacThread thread;
    std::atomic<bool> sawStop { false };
    thread.OnExecute = [&](TObject*) {
        auto* run = TacEventThread::Current();
        while (!run->GetTerminated())
            std::this_thread::sleep_for(1ms);
        sawStop = true;
    };
    thread.Execute();
    thread.Terminate();
    EXPECT_TRUE(PumpUntil([&] { return sawStop.load(); }));
}

TEST_F(ThreadTest, ImmediateTerminateAbandonsTheRunWhichHandsNothingOver)
{
    TacThread thread;
    std::atomic<bool> release { false };
    std::atomic<bool> bodyEnded { false };
    bool handOverRan = false;
    int terminations = 0;
    thread.OnExecute = [&](TObject*) {
        auto* run = TacEventThread::Current();
        while (!release)
            std::this_thread::sleep_for(1ms);
        run->Synchronize([&] { handOverRan = true; });
        bodyEnded = true;
    };
    thread.OnTerminate = [&](TObject*) { ++terminations; };
    thread.Execute();
    PumpUntil([&] { return thread.CurrentThread()->GetThreadID() != 0; });
    const int abandonedId = thread.GetThreadID();
    thread.Terminate(true);
    EXPECT_NE(thread.GetThreadID(), abandonedId);
    EXPECT_TRUE(thread.GetSuspended());
    EXPECT_FALSE(thread.Running());
    release = true;
    EXPECT_TRUE(PumpUntil([&] { return bodyEnded && TacEventThread::LiveCount() == 1; }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(handOverRan);
    EXPECT_EQ(terminations, 0);
}

TEST_F(ThreadTest, ExitAtACheckPointSkipsTheTerminationCallAndStaysRunning)
{
    TacThread thread;
    int terminations = 0;
    thread.OnExecute = [](TObject*) { throw TacThreadExit {}; };
    thread.OnTerminate = [&](TObject*) { ++terminations; };
    thread.SetWaitThread(true);
    EXPECT_TRUE(thread.Execute());
    EXPECT_TRUE(thread.CurrentThread()->Finished());
    EXPECT_TRUE(thread.Running());
    EXPECT_EQ(terminations, 0);
}

TEST_F(ThreadTest, SuspendParksTheWorkerAtItsNextCheckUntilResumed)
{
    TacThread thread;
    std::atomic<int> rounds { 0 };
    thread.OnExecute = [&](TObject*) {
        auto* run = TacEventThread::Current();
        while (!run->GetTerminated()) {
            run->WaitWhileSuspended();
            ++rounds;
            std::this_thread::sleep_for(1ms);
        }
    };
    thread.Execute();
    EXPECT_FALSE(thread.GetSuspended());
    ASSERT_TRUE(PumpUntil([&] { return rounds > 3; }));
    thread.SetSuspended(true);
    EXPECT_TRUE(thread.GetSuspended());
    EXPECT_FALSE(thread.RunningAndNotSuspended());
    std::this_thread::sleep_for(30ms);
    const int parkedAt = rounds;
    std::this_thread::sleep_for(50ms);
    EXPECT_LE(rounds - parkedAt, 1);
    thread.Resume();
    EXPECT_FALSE(thread.GetSuspended());
    EXPECT_TRUE(PumpUntil([&] { return rounds > parkedAt + 3; }));
    thread.Terminate();
    thread.WaitFor();
}

TEST_F(ThreadTest, ResumeClearsSuspendedOnlyWhenEverySuspensionIsUndone)
{
    TacThread thread;
    thread.OnExecute = [&](TObject*) {
        auto* run = TacEventThread::Current();
        while (!run->GetTerminated())
            run->WaitWhileSuspended();
    };
    thread.Execute();
    thread.Suspend();
    thread.Suspend();
    thread.Resume();
    EXPECT_TRUE(thread.GetSuspended());
    thread.Resume();
    EXPECT_FALSE(thread.GetSuspended());
    thread.Terminate();
    thread.WaitFor();
}

TEST_F(ThreadTest, WaitForReturnsTheExitCodeAndRunsHandOversMeanwhile)
{
    TacThread thread;
    bool handedOver = false;
    thread.OnExecute = [&](TObject*) {
        auto* run = TacEventThread::Current();
        run->Synchronize([&] { handedOver = true; });
        run->SetReturnValue(42);
    };
    thread.Execute();
    EXPECT_EQ(thread.WaitFor(), 42u);
    EXPECT_TRUE(handedOver);
    EXPECT_EQ(thread.GetReturnValue(), 42u);
}

TEST_F(ThreadTest, HandOverWhileTheComponentIsDestroyedDoesNothing)
{
    auto* thread = new TacThread;
    std::atomic<bool> release { false };
    std::atomic<bool> returnedFromHandOver { false };
    std::atomic<bool> started { false };
    bool handOverRan = false;
    thread->OnExecute = [&](TObject*) {
        auto* run = TacEventThread::Current();
        started = true;
        while (!release)
            std::this_thread::sleep_for(1ms);
        run->Synchronize([&] { handOverRan = true; });
        returnedFromHandOver = true;
    };
    thread->Execute();
    while (!started)
        std::this_thread::sleep_for(1ms);
    std::thread releaser([&] {
        std::this_thread::sleep_for(50ms);
        release = true;
    });
    delete thread;
    releaser.join();
    EXPECT_TRUE(returnedFromHandOver);
    EXPECT_FALSE(handOverRan);
}

TEST_F(ThreadTest, TheFirstThreadObjectCreatesTheHandOverObjectAndTheLastRemovesIt)
{
    EXPECT_EQ(HandOverWindowCount(), 0);
    {
        TacThread first;
        EXPECT_EQ(HandOverWindowCount(), 1);
        EXPECT_EQ(HandOverWindowReferences(), 1);
        {
            TacThread second;
            EXPECT_EQ(HandOverWindowCount(), 1);
            EXPECT_EQ(HandOverWindowReferences(), 2);
        }
        PumpUntil([] { return HandOverWindowReferences() == 1; });
        EXPECT_EQ(HandOverWindowCount(), 1);
    }
    EXPECT_TRUE(PumpUntil([] { return HandOverWindowCount() == 0; }));
    EXPECT_EQ(HandOverWindowReferences(), 0);
}

TEST_F(ThreadTest, FreeOnTerminateFreesTheOwnerAfterTheRun)
{
    QPointer<QObject> owner = new QObject;
    auto* thread = new TacThread(owner);
    thread->SetFreeOnTerminate(true);
    bool terminated = false;
    thread->OnExecute = [](TObject*) {};
    thread->OnTerminate = [&](TObject*) { terminated = true; };
    thread->Execute();
    EXPECT_TRUE(PumpUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return owner.isNull();
    }));
    EXPECT_TRUE(terminated);
}

TEST_F(ThreadTest, ExecuteAndWaitForEventReturnsWhenTheBodySignals)
{
    TacThread thread;
    std::atomic<bool> release { false };
    thread.OnExecute = [&](TObject*) {
        thread.SetEvent();
        while (!release)
            std::this_thread::sleep_for(1ms);
    };
    EXPECT_TRUE(thread.ExecuteAndWaitForEvent());
    EXPECT_TRUE(thread.Running());
    release = true;
    thread.WaitFor();
    EXPECT_FALSE(thread.WaitForEvent());
}

TEST(ThreadPriorityTest, MembersMapToThePlatformValuesAndBack)
{
    const std::vector<std::pair<TThreadPriority, int>> table { { tpIdle, -15 }, { tpLowest, -2 },
        { tpLower, -1 }, { tpNormal, 0 }, { tpHigher, 1 }, { tpHighest, 2 },
        { tpTimeCritical, 15 } };
    for (const auto& [member, value] : table) {
        EXPECT_EQ(ThreadPriorityValue(member), value);
        EXPECT_EQ(ThreadPriorityFromValue(value), member);
    }
    EXPECT_EQ(ThreadPriorityFromValue(7), tpNormal);
}

TEST_F(ThreadTest, PriorityIsCopiedToEveryNewThreadObject)
{
    TacThread thread;
    thread.SetPriority(tpLowest);
    thread.OnExecute = [](TObject*) {};
    thread.SetWaitThread(true);
    thread.Execute();
    EXPECT_EQ(thread.CurrentThread()->GetPriority(), tpLowest);
    EXPECT_EQ(thread.GetPriority(), tpLowest);
}

} // namespace
