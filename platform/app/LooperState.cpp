#include <LooperState.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <vector>

#include <Looper.h>

namespace BPrivate {

namespace {

std::atomic<void (*)()> sIdleHook{nullptr};

}  // namespace

thread_id current_thread() {
    thread_local thread_id id = static_cast<thread_id>(syscall(SYS_gettid));
    return id;
}

bool LooperState::_WaitUntil(std::condition_variable &condition, std::unique_lock<std::mutex> &lock,
                             bigtime_t timeout, const std::function<bool()> &done) {
    if (timeout == B_INFINITE_TIMEOUT) {
        condition.wait(lock, done);
        return true;
    }
    if (timeout < 0)
        timeout = 0;
    return condition.wait_for(lock, std::chrono::microseconds(timeout), done);
}

void LooperState::_NotifyQuitting() {
    // Callers hold a reference to the state, since a woken thread may end the looper.
    // Lock() refuses from now on, Take() may have to end, the idle waiters and the life
    // cycle's may be done.
    fLockFreed.notify_all();
    fQueued.notify_all();
    fIdle.notify_all();
    fLifeCycle.notify_all();
}

status_t LooperState::Lock(bigtime_t timeout, bool forLoop) {
    thread_id self = current_thread();
    std::unique_lock<std::mutex> lock(fMutex);
    auto refused = [&] { return fLoopEnded || fStop || (fQuitting && !forLoop); };
    if (fOwner == self) {
        fLockCount++;
        return B_OK;
    }
    if (refused())
        return B_BAD_VALUE;
    if (!_WaitUntil(fLockFreed, lock, timeout, [&] { return fOwner < 0 || refused(); }))
        return B_TIMED_OUT;
    if (refused())
        return B_BAD_VALUE;
    fOwner = self;
    fLockCount = 1;
    return B_OK;
}

void LooperState::Unlock() {
    std::shared_ptr<LooperState> self;
    {
        std::lock_guard<std::mutex> lock(fMutex);
        // Unlocking a lock the caller does not hold changes nothing.
        if (fOwner != current_thread() || --fLockCount != 0)
            return;
        fOwner = -1;
        self = shared_from_this();
    }
    fLockFreed.notify_all();
}

int32 LooperState::ReleaseAll() {
    int32 released;
    std::shared_ptr<LooperState> self;
    {
        std::lock_guard<std::mutex> lock(fMutex);
        if (fOwner != current_thread())
            return 0;
        self = shared_from_this();
        released = fLockCount;
        fOwner = -1;
        fLockCount = 0;
    }
    fLockFreed.notify_all();
    return released;
}

bool LooperState::IsLockedByCaller() const {
    std::lock_guard<std::mutex> lock(fMutex);
    return fOwner >= 0 && fOwner == current_thread();
}

thread_id LooperState::LockingThread() const {
    std::lock_guard<std::mutex> lock(fMutex);
    return fOwner;
}

int32 LooperState::CountLocks() const {
    std::lock_guard<std::mutex> lock(fMutex);
    return fLockCount;
}

status_t LooperState::Post(QueuedMessage entry) {
    std::shared_ptr<LooperState> self;
    {
        std::lock_guard<std::mutex> lock(fMutex);
        if (fQuitting || fLoopEnded)
            return B_BAD_PORT_ID;
        fQueue.push_back(std::move(entry));
        self = shared_from_this();
    }
    fQueued.notify_one();
    return B_OK;
}

bool LooperState::IsMessageWaiting() const {
    std::lock_guard<std::mutex> lock(fMutex);
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
    std::unique_lock<std::mutex> lock(fMutex);
    void (*hook)() = sIdleHook.load(std::memory_order_relaxed);
    if (fDispatching && hook != nullptr && !_MessageQueued()) {
        // Still dispatching as far as WaitForIdle can tell: the hook is done before an
        // idle waiter is let go.
        lock.unlock();
        hook();
        lock.lock();
    }
    fDispatching = false;
    for (;;) {
        fQueued.wait(lock, [&] { return fStop || !fQueue.empty(); });
        if (fStop)
            return false;
        QueuedMessage front = std::move(fQueue.front());
        fQueue.pop_front();
        switch (front.kind) {
            case QueuedMessage::kIdleMarker:
                fPassedMarker = front.marker;
                lock.unlock();
                fIdle.notify_all();
                lock.lock();
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
    std::unique_lock<std::mutex> lock(fMutex);
    if (fRunning || fQuitting)
        return B_BAD_THREAD_STATE;
    fRunning = true;
    // The new thread's first step waits for this mutex, so `slot` is assigned before the
    // thread can look at it (it detaches it when the looper ends itself).
    *slot = std::thread([this, body = std::move(body)] {
        {
            std::lock_guard<std::mutex> started(fMutex);
            fThread = current_thread();
            fLifeCycle.notify_all();
        }
        body();
    });
    fLifeCycle.wait(lock, [&] { return fThread >= 0; });
    return fThread;
}

thread_id LooperState::StartOnCaller() {
    std::lock_guard<std::mutex> lock(fMutex);
    if (fRunning || fQuitting)
        return B_BAD_THREAD_STATE;
    fRunning = true;
    fThread = current_thread();
    return fThread;
}

bool LooperState::IsRunning() const {
    std::lock_guard<std::mutex> lock(fMutex);
    return fRunning;
}

bool LooperState::IsQuitting() const {
    std::lock_guard<std::mutex> lock(fMutex);
    return fQuitting || fLoopEnded;
}

thread_id LooperState::Thread() const {
    std::lock_guard<std::mutex> lock(fMutex);
    return fThread;
}

void LooperState::MarkQuitting() {
    const std::shared_ptr<LooperState> self = shared_from_this();  // see _NotifyQuitting
    {
        std::lock_guard<std::mutex> lock(fMutex);
        fQuitting = true;
    }
    _NotifyQuitting();
}

bool LooperState::RequestQuitOnOwnThread() {
    const std::shared_ptr<LooperState> self = shared_from_this();  // see _NotifyQuitting
    bool first;
    {
        std::lock_guard<std::mutex> lock(fMutex);
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
        std::lock_guard<std::mutex> lock(fMutex);
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
        std::lock_guard<std::mutex> lock(fMutex);
        if (fMode == kNotQuitting)
            fMode = kDestroyed;
        fQuitting = true;
        fStop = true;
    }
    _NotifyQuitting();
}

LooperState::QuitMode LooperState::Mode() const {
    std::lock_guard<std::mutex> lock(fMutex);
    return fMode;
}

bool LooperState::ShouldEndLoop() const {
    std::lock_guard<std::mutex> lock(fMutex);
    return fEndAfterDispatch || fStop;
}

void LooperState::LoopEnded() {
    const std::shared_ptr<LooperState> self = shared_from_this();  // see _NotifyQuitting
    std::deque<QueuedMessage> dropped;
    {
        std::lock_guard<std::mutex> lock(fMutex);
        fLoopEnded = true;
        fQuitting = true;
        fDispatching = false;
        dropped.swap(fQueue);
    }
    _NotifyQuitting();
    // The dropped messages are freed here, outside the mutex.
}

void LooperState::WaitForLoopEnd() {
    std::unique_lock<std::mutex> lock(fMutex);
    if (!fRunning)
        return;
    fLifeCycle.wait(lock, [&] { return fLoopEnded; });
}

status_t LooperState::WaitForIdle(bigtime_t timeout) {
    thread_id self = current_thread();
    std::unique_lock<std::mutex> lock(fMutex);
    // Waiting while holding the lock, or on the loop's own thread, could never end.
    if (fOwner == self || fThread == self)
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
    lock.unlock();
    fQueued.notify_one();
    lock.lock();
    // Woken only when a marker passes or the loop ends, never by the lock's traffic.
    bool finished =
        _WaitUntil(fIdle, lock, timeout, [&] { return fPassedMarker >= wanted || fLoopEnded; });
    if (fPassedMarker >= wanted)
        return B_OK;
    if (finished)
        return B_BAD_PORT_ID;
    return B_TIMED_OUT;
}

}  // namespace BPrivate
