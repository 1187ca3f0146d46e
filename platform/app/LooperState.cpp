#include <LooperState.h>

#include <atomic>
#include <chrono>
#include <vector>

#include <Looper.h>

namespace BPrivate {

using brindle::MutexLock;

namespace {

std::atomic<void (*)()> sIdleHook{nullptr};

}  // namespace

thread_id current_thread() {
    return brindle::current_thread_id();
}

LooperState::Deadline LooperState::_DeadlineAfter(bigtime_t timeout) {
    Deadline deadline{timeout == B_INFINITE_TIMEOUT, brindle::ConditionVariable::Clock::now()};
    if (!deadline.never && timeout > 0)
        deadline.at += std::chrono::microseconds(timeout);
    return deadline;
}

bool LooperState::_Wait(brindle::ConditionVariable &condition, const Deadline &deadline) {
    if (deadline.never) {
        condition.Wait(fMutex);
        return true;
    }
    return condition.WaitUntil(fMutex, deadline.at);
}

bool LooperState::_LockRefused(bool forLoop) const {
    return fLoopEnded || fStop || (fQuitting && !forLoop);
}

void LooperState::_NotifyQuitting() {
    // Callers hold a reference to the state, since a woken thread may end the looper.
    // Lock() refuses from now on, Take() may have to end, the idle waiters and the life
    // cycle's may be done.
    fLockFreed.NotifyAll();
    fQueued.NotifyAll();
    fIdle.NotifyAll();
    fLifeCycle.NotifyAll();
}

status_t LooperState::Lock(bigtime_t timeout, bool forLoop) {
    thread_id self = current_thread();
    const Deadline deadline = _DeadlineAfter(timeout);
    MutexLock lock(fMutex);
    if (fLockOwnership.IsHeldBy(self)) {
        fLockOwnership.Take(self);
        return B_OK;
    }
    if (_LockRefused(forLoop))
        return B_BAD_VALUE;
    while (fLockOwnership.IsHeld() && !_LockRefused(forLoop)) {
        if (!_Wait(fLockFreed, deadline) && fLockOwnership.IsHeld() && !_LockRefused(forLoop))
            return B_TIMED_OUT;
    }
    if (_LockRefused(forLoop))
        return B_BAD_VALUE;
    fLockOwnership.Take(self);
    return B_OK;
}

void LooperState::Unlock() {
    std::shared_ptr<LooperState> self;
    {
        MutexLock lock(fMutex);
        // Unlocking a lock the caller does not hold changes nothing.
        if (!fLockOwnership.Release(current_thread()))
            return;
        self = shared_from_this();
    }
    fLockFreed.NotifyAll();
}

int32 LooperState::ReleaseAll() {
    int32 released;
    std::shared_ptr<LooperState> self;
    {
        MutexLock lock(fMutex);
        released = fLockOwnership.ReleaseAll(current_thread());
        if (released == 0)
            return 0;
        self = shared_from_this();
    }
    fLockFreed.NotifyAll();
    return released;
}

bool LooperState::IsLockedByCaller() const {
    MutexLock lock(fMutex);
    return fLockOwnership.IsHeldBy(current_thread());
}

thread_id LooperState::LockingThread() const {
    MutexLock lock(fMutex);
    return fLockOwnership.Owner();
}

int32 LooperState::CountLocks() const {
    MutexLock lock(fMutex);
    return fLockOwnership.Count();
}

status_t LooperState::Post(QueuedMessage entry) {
    std::shared_ptr<LooperState> self;
    {
        MutexLock lock(fMutex);
        if (fQuitting || fLoopEnded)
            return B_BAD_PORT_ID;
        fQueue.push_back(std::move(entry));
        self = shared_from_this();
    }
    fQueued.NotifyOne();
    return B_OK;
}

bool LooperState::IsMessageWaiting() const {
    MutexLock lock(fMutex);
    return _MessageQueued();
}

bool LooperState::_MessageQueued() const {
    for (const QueuedMessage &entry : fQueue) {
        if (entry.kind == QueuedMessage::kMessage)
            return true;
    }
    return false;
}

void LooperState::SetIdleHook(void (*hook)()) {
    sIdleHook.store(hook);
}

bool LooperState::Take(QueuedMessage *entry) {
    MutexLock lock(fMutex);
    void (*hook)() = sIdleHook.load(std::memory_order_relaxed);
    if (fDispatching && hook != nullptr && !_MessageQueued()) {
        // Still dispatching as far as WaitForIdle can tell: the hook is done before an
        // idle waiter is let go.
        lock.Unlock();
        hook();
        lock.Lock();
    }
    fDispatching = false;
    for (;;) {
        while (!fStop && fQueue.empty())
            fQueued.Wait(fMutex);
        if (fStop)
            return false;
        QueuedMessage front = std::move(fQueue.front());
        fQueue.pop_front();
        switch (front.kind) {
            case QueuedMessage::kIdleMarker:
                fPassedMarker = front.marker;
                lock.Unlock();
                fIdle.NotifyAll();
                lock.Lock();
                continue;
            case QueuedMessage::kQuit:
                return false;
            case QueuedMessage::kMessage:
                *entry = std::move(front);
                fDispatching = true;
                return true;
        }
    }
}

thread_id LooperState::StartThread(std::thread *slot, std::function<void()> body) {
    MutexLock lock(fMutex);
    if (fRunning || fQuitting)
        return B_BAD_THREAD_STATE;
    fRunning = true;
    // The new thread's first step waits for this mutex, so `slot` is assigned before the
    // thread can look at it (it detaches it when the looper ends itself).
    *slot = std::thread([this, body = std::move(body)] {
        {
            MutexLock started(fMutex);
            fThread = current_thread();
            fLifeCycle.NotifyAll();
        }
        body();
    });
    while (fThread < 0)
        fLifeCycle.Wait(fMutex);
    return fThread;
}

thread_id LooperState::StartOnCaller() {
    MutexLock lock(fMutex);
    if (fRunning || fQuitting)
        return B_BAD_THREAD_STATE;
    fRunning = true;
    fThread = current_thread();
    return fThread;
}

bool LooperState::IsRunning() const {
    MutexLock lock(fMutex);
    return fRunning;
}

bool LooperState::IsQuitting() const {
    MutexLock lock(fMutex);
    return fQuitting || fLoopEnded;
}

thread_id LooperState::Thread() const {
    MutexLock lock(fMutex);
    return fThread;
}

void LooperState::MarkQuitting() {
    const std::shared_ptr<LooperState> self = shared_from_this();  // see _NotifyQuitting
    {
        MutexLock lock(fMutex);
        fQuitting = true;
    }
    _NotifyQuitting();
}

bool LooperState::RequestQuitOnOwnThread() {
    const std::shared_ptr<LooperState> self = shared_from_this();  // see _NotifyQuitting
    bool first;
    {
        MutexLock lock(fMutex);
        fQuitting = true;
        fEndAfterDispatch = true;
        first = fMode == kNotQuitting;
        if (first)
            fMode = kQuitOnOwnThread;
    }
    _NotifyQuitting();
    return first;
}

bool LooperState::RequestQuitFromOtherThread() {
    const std::shared_ptr<LooperState> self = shared_from_this();  // see _NotifyQuitting
    {
        MutexLock lock(fMutex);
        if (fMode != kNotQuitting)
            return false;
        fMode = kQuitFromOtherThread;
        QueuedMessage quit;
        quit.kind = QueuedMessage::kQuit;
        fQueue.push_back(std::move(quit));
        fQuitting = true;
    }
    _NotifyQuitting();
    return true;
}

void LooperState::RequestStop() {
    const std::shared_ptr<LooperState> self = shared_from_this();  // see _NotifyQuitting
    {
        MutexLock lock(fMutex);
        if (fMode == kNotQuitting)
            fMode = kDestroyed;
        fQuitting = true;
        fStop = true;
    }
    _NotifyQuitting();
}

LooperState::QuitMode LooperState::Mode() const {
    MutexLock lock(fMutex);
    return fMode;
}

bool LooperState::ShouldEndLoop() const {
    MutexLock lock(fMutex);
    return fEndAfterDispatch || fStop;
}

void LooperState::LoopEnded() {
    const std::shared_ptr<LooperState> self = shared_from_this();  // see _NotifyQuitting
    std::deque<QueuedMessage> dropped;
    {
        MutexLock lock(fMutex);
        fLoopEnded = true;
        fQuitting = true;
        fDispatching = false;
        dropped.swap(fQueue);
    }
    _NotifyQuitting();
    // The dropped messages are freed here, outside the mutex.
}

void LooperState::WaitForLoopEnd() {
    MutexLock lock(fMutex);
    if (!fRunning)
        return;
    while (!fLoopEnded)
        fLifeCycle.Wait(fMutex);
}

status_t LooperState::WaitForIdle(bigtime_t timeout) {
    thread_id self = current_thread();
    const Deadline deadline = _DeadlineAfter(timeout);
    MutexLock lock(fMutex);
    // Waiting while holding the lock, or on the loop's own thread, could never end.
    if (fLockOwnership.IsHeldBy(self) || fThread == self)
        return B_NOT_ALLOWED;
    if (fQuitting || fLoopEnded)
        return B_BAD_PORT_ID;
    if (!fRunning)
        return B_OK;
    // Nothing queued and nothing being dispatched: every message posted so far is done.
    if (!fDispatching && !_MessageQueued())
        return B_OK;
    QueuedMessage marker;
    marker.kind = QueuedMessage::kIdleMarker;
    marker.marker = ++fNextMarker;
    uint64 wanted = marker.marker;
    fQueue.push_back(std::move(marker));
    lock.Unlock();
    fQueued.NotifyOne();
    lock.Lock();
    // Woken only when a marker passes or the loop ends, never by the lock's traffic.
    bool timedOut = false;
    while (fPassedMarker < wanted && !fLoopEnded && !timedOut)
        timedOut = !_Wait(fIdle, deadline);
    if (fPassedMarker >= wanted)
        return B_OK;
    if (fLoopEnded)
        return B_BAD_PORT_ID;
    return B_TIMED_OUT;
}

}  // namespace BPrivate
