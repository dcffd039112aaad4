#include "transfer/acThread.h"

#include "platform/ThreadPriority.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <array>

namespace {

const QEvent::Type HandOverEventType = static_cast<QEvent::Type>(QEvent::User + 0x8FF);
const QEvent::Type WakeUpEventType = static_cast<QEvent::Type>(QEvent::User + 0x900);

std::atomic<int> liveThreadObjects { 0 };
thread_local TacEventThread* runOfThisThread = nullptr;

bool OnMainThread()
{
    auto* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

} // namespace

// One call waiting to run on the main thread; the worker waits on it.
struct TacHandOver {
    TThreadMethod method;
    std::exception_ptr exception;
    bool done = false;
    std::mutex mutex;
    std::condition_variable finished;
};

namespace {

class HandOverEvent : public QEvent {
public:
    HandOverEvent(std::shared_ptr<TacEventThread> thread, std::shared_ptr<TacHandOver> handOver)
        : QEvent(HandOverEventType), thread(std::move(thread)), handOver(std::move(handOver))
    {
    }
    // An event dropped undelivered (the program is closing) still releases
    // the worker that waits for it.
    ~HandOverEvent() override
    {
        std::lock_guard lock(handOver->mutex);
        handOver->done = true;
        handOver->finished.notify_all();
    }
    std::shared_ptr<TacEventThread> thread;
    std::shared_ptr<TacHandOver> handOver;
};

// The hidden object on the main thread that every hand-over is sent to.
class TacThreadWindow : public QObject {
public:
    bool event(QEvent* event) override
    {
        if (event->type() == HandOverEventType) {
            auto* handOver = static_cast<HandOverEvent*>(event);
            handOver->thread->RunHandOver(*handOver->handOver);
            return true;
        }
        return event->type() == WakeUpEventType || QObject::event(event);
    }
};

std::mutex windowMutex;
TacThreadWindow* window = nullptr;
int windowReferences = 0;
int windowCount = 0;

QObject* AcquireWindow()
{
    std::lock_guard lock(windowMutex);
    if (windowReferences++ == 0) {
        window = new TacThreadWindow;
        window->setObjectName(QStringLiteral("TacThreadWindow"));
        ++windowCount;
    }
    return window;
}

void ReleaseWindow()
{
    std::lock_guard lock(windowMutex);
    if (--windowReferences > 0)
        return;
    // The last run may end on its own worker; the object must die on the
    // thread it belongs to.
    if (OnMainThread())
        delete window;
    else
        window->deleteLater();
    window = nullptr;
    --windowCount;
}

void WakeUp(QObject* target)
{
    QCoreApplication::postEvent(target, new QEvent(WakeUpEventType));
}

// Counts every event that reaches an object of the main thread, except the
// wait loop's own timer.
class ActivityCounter : public QObject {
public:
    explicit ActivityCounter(const QObject* ignored) : ignored_(ignored)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~ActivityCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent*) override
    {
        if (watched != ignored_)
            ++count;
        return false;
    }
    long count = 0;

private:
    const QObject* ignored_;
};

constexpr std::array<int, 7> priorityValues { -15, -2, -1, 0, 1, 2, 15 };

} // namespace

int ThreadPriorityValue(TThreadPriority priority)
{
    return priorityValues[static_cast<size_t>(priority)];
}

TThreadPriority ThreadPriorityFromValue(int value)
{
    for (size_t index = 0; index < priorityValues.size(); ++index)
        if (priorityValues[index] == value)
            return static_cast<TThreadPriority>(index);
    return tpNormal;
}

int HandOverWindowCount()
{
    std::lock_guard lock(windowMutex);
    return windowCount;
}

int HandOverWindowReferences()
{
    std::lock_guard lock(windowMutex);
    return windowReferences;
}

// ---------------------------------------------------------------------------

TacEventThread::TacEventThread(TacCustomThread* thread)
    : owner_(thread), onExecute_(thread->OnExecute), onException_(thread->OnException),
      onTerminate_(thread->OnTerminate), onSynchronization_(thread->OnSynchronization),
      handleExceptions_(thread->HandleExceptions),
      priority_(ThreadPriorityValue(thread->GetPriority())), window_(AcquireWindow())
{
    ++liveThreadObjects;
}

std::shared_ptr<TacEventThread> TacEventThread::Create(TacCustomThread* thread)
{
    std::shared_ptr<TacEventThread> created(new TacEventThread(thread));
    created->thread_ = std::thread([self = created] { self->ThreadProcedure(); });
    return created;
}

TacEventThread::~TacEventThread()
{
    // The last reference is dropped either by the worker as it ends or, once
    // it has ended, by the component.
    if (thread_.get_id() == std::this_thread::get_id())
        thread_.detach();
    else if (thread_.joinable())
        thread_.join();
    ReleaseWindow();
    --liveThreadObjects;
}

TacEventThread* TacEventThread::Current()
{
    return runOfThisThread;
}

int TacEventThread::LiveCount()
{
    return liveThreadObjects.load();
}

void TacEventThread::Resume()
{
    std::lock_guard lock(mutex_);
    if (suspendCount_ > 0 && --suspendCount_ == 0) {
        // Running from the start, so that a stop asked for before the worker
        // is scheduled still finds the run busy and reaches the body's checks.
        if (!resumed_ && !released_)
            running_.store(true);
        resumed_ = true;
        changed_.notify_all();
    }
}

void TacEventThread::Suspend()
{
    std::lock_guard lock(mutex_);
    if (!finished_.load())
        ++suspendCount_;
}

bool TacEventThread::GetSuspended() const
{
    std::lock_guard lock(mutex_);
    return suspendCount_ > 0;
}

void TacEventThread::SetPriority(TThreadPriority priority)
{
    priority_.store(ThreadPriorityValue(priority));
    if (const int id = threadId_.load())
        platform::SetThreadPriority(id, priority_.load());
}

void TacEventThread::WaitWhileSuspended()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return suspendCount_ == 0 || released_ || abandoned_.load(); });
}

void TacEventThread::Release()
{
    std::lock_guard lock(mutex_);
    terminated_.store(true);
    released_ = true;
    changed_.notify_all();
}

void TacEventThread::Abandon()
{
    std::lock_guard lock(mutex_);
    terminated_.store(true);
    abandoned_.store(true);
    changed_.notify_all();
}

bool TacEventThread::OwnerDestroying() const
{
    std::lock_guard lock(mutex_);
    return abandoned_.load() || owner_->IsDestroying();
}

void TacEventThread::ThreadProcedure()
{
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return resumed_ || released_; });
        // A run that the component let go of before starting it ends here.
        if (!resumed_) {
            lock.unlock();
            MarkFinished();
            return;
        }
    }
    runOfThisThread = this;
    threadId_.store(platform::CurrentThreadId());
    if (priority_.load() != 0)
        platform::SetThreadPriority(threadId_.load(), priority_.load());
    try {
        RunBody();
        if (onTerminate_)
            Synchronize([this] { TerminationCall(); });
        running_.store(false);
    } catch (const TacThreadExit&) {
    } catch (...) {
        running_.store(false);
    }
    MarkFinished();
}

void TacEventThread::RunBody()
{
    if (!onExecute_ || OwnerDestroying())
        return;
    try {
        onExecute_(owner_);
    } catch (const TacThreadExit&) {
        throw;
    } catch (...) {
        if (handleExceptions_ && onException_)
            Synchronize([this] { onException_(owner_); });
    }
}

void TacEventThread::TerminationCall()
{
    try {
        onTerminate_(owner_);
    } catch (...) {
        if (!handleExceptions_)
            throw;
        if (onException_)
            onException_(owner_);
    }
    if (owner_->GetFreeOnTerminate() && owner_->parent())
        owner_->FreeOwner();
}

void TacEventThread::MarkFinished()
{
    {
        std::lock_guard lock(mutex_);
        finished_.store(true);
        changed_.notify_all();
    }
    WakeUp(window_);
}

void TacEventThread::Synchronize(const TThreadMethod& Method)
{
    if (OnMainThread()) {
        Method();
        return;
    }
    auto handOver = std::make_shared<TacHandOver>();
    handOver->method = Method;
    {
        std::lock_guard lock(mutex_);
        if (abandoned_.load() || owner_->IsDestroying())
            return;
        ++handOversWaiting_;
        changed_.notify_all();
    }
    QCoreApplication::postEvent(window_, new HandOverEvent(shared_from_this(), handOver));
    std::unique_lock wait(handOver->mutex);
    handOver->finished.wait(wait, [&] { return handOver->done; });
    if (handOver->exception && !handleExceptions_)
        std::rethrow_exception(handOver->exception);
}

void TacEventThread::RunHandOver(TacHandOver& handOver)
{
    {
        std::lock_guard lock(mutex_);
        --handOversWaiting_;
    }
    if (!OwnerDestroying()) {
        try {
            if (onSynchronization_)
                onSynchronization_(owner_, handOver.method);
            handOver.method();
        } catch (...) {
            handOver.exception = std::current_exception();
        }
    }
    std::lock_guard lock(handOver.mutex);
    handOver.done = true;
    handOver.finished.notify_all();
}

uint32_t TacEventThread::WaitFor()
{
    const bool mainThread = OnMainThread();
    std::unique_lock lock(mutex_);
    while (!finished_.load()) {
        changed_.wait(
            lock, [&] { return finished_.load() || (mainThread && handOversWaiting_ > 0); });
        if (mainThread && handOversWaiting_ > 0) {
            lock.unlock();
            QCoreApplication::sendPostedEvents(window_, HandOverEventType);
            lock.lock();
        }
    }
    return returnValue_.load();
}

// ---------------------------------------------------------------------------

TacCustomThread::TacCustomThread(QObject* owner) : TacComponent(owner)
{
    current_ = TacEventThread::Create(this);
}

TacCustomThread::~TacCustomThread()
{
    MarkDestroying();
    current_->Release();
    if (current_->Running())
        current_->WaitFor();
}

void TacCustomThread::ReplaceThreadObject()
{
    auto previous = std::move(current_);
    current_ = TacEventThread::Create(this);
    if (previous->Running() || previous->Finished())
        previous->Abandon();
    else
        previous->Release();
}

bool TacCustomThread::Execute()
{
    ReplaceThreadObject();
    auto thread = current_;
    thread->SetFreeOnTerminate(freeOnTerminate_);
    thread->Resume();
    if (!waitThread_)
        return true;
    return WaitLoop(thread);
}

void TacCustomThread::Terminate(bool Immediate)
{
    if (Immediate)
        ReplaceThreadObject();
    else
        current_->Terminate();
}

void TacCustomThread::Synchronize(const TThreadMethod& Method)
{
    current_->Synchronize(Method);
}

void TacCustomThread::SetSuspended(bool value)
{
    if (value)
        Suspend();
    else
        Resume();
}

void TacCustomThread::SetPriority(TThreadPriority priority)
{
    priority_ = priority;
    current_->SetPriority(priority);
}

bool TacCustomThread::WaitLoop(const std::shared_ptr<TacEventThread>& thread)
{
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    ActivityCounter activity(&timer);
    QPointer<TacCustomThread> alive(this);
    for (;;) {
        if (thread->Finished() || !alive || IsDestroying() || QCoreApplication::closingDown())
            return true;
        const long before = activity.count;
        bool expired = false;
        QObject::connect(&timer, &QTimer::timeout, &timer, [&expired] { expired = true; });
        if (waitTimeout_ != 0)
            timer.start(static_cast<int>(waitTimeout_));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        timer.stop();
        timer.disconnect();
        if (expired && activity.count == before && alive && !thread->Finished())
            return WaitTimeoutExpired();
    }
}

bool TacCustomThread::WaitTimeoutExpired()
{
    bool terminateThread = true;
    if (OnWaitTimeoutExpired)
        OnWaitTimeoutExpired(this, terminateThread);
    if (terminateThread)
        Terminate(true);
    return !terminateThread;
}

void TacCustomThread::FreeOwner()
{
    ReplaceThreadObject();
    parent()->deleteLater();
}

void TacCustomThread::SetEvent()
{
    {
        std::lock_guard lock(eventMutex_);
        eventSet_ = true;
    }
    eventChanged_.notify_all();
    QCoreApplication::postEvent(this, new QEvent(WakeUpEventType));
}

bool TacCustomThread::WaitForEvent()
{
    auto thread = current_;
    for (;;) {
        {
            std::lock_guard lock(eventMutex_);
            if (eventSet_) {
                eventSet_ = false;
                return true;
            }
        }
        if (thread->Finished() || !thread->Running())
            return false;
        if (OnMainThread()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        } else {
            std::unique_lock lock(eventMutex_);
            eventChanged_.wait_for(
                lock, std::chrono::milliseconds(50), [this] { return eventSet_; });
        }
    }
}

bool TacCustomThread::ExecuteAndWaitForEvent()
{
    const bool waitThread = waitThread_;
    waitThread_ = false;
    Execute();
    waitThread_ = waitThread;
    return WaitForEvent();
}
