#include <LooperState.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <vector>

#include <Looper.h>

namespace BPrivate {

thread_id current_thread() {
    thread_local thread_id id = static_cast<thread_id>(syscall(SYS_gettid));
    return id;
}

bool LooperState::_WaitUntil(std::unique_lock<std::mutex> &lock, bigtime_t timeout,
                             const std::function<bool()> &done) {
    if (timeout == B_INFINITE_TIMEOUT) {
        fChanged.wait(lock, done);
        return true;
    }
    if (timeout < 0)
        timeout = 0;
    return fChanged.wait_for(lock, std::chrono::microseconds(timeout), done);
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
    if (!_WaitUntil(lock, timeout, [&] { return fOwner < 0 || refused(); }))
        return B_TIMED_OUT;
    if (refused())
        return B_BAD_VALUE;
    fOwner = self;
    fLockCount = 1;
    return B_OK;
}

void LooperState::Unlock() {
    std::lock_guard<std::mutex> lock(fMutex);
    // Unlocking a lock the caller does not hold changes nothing.
    if (fOwner != current_thread())
        return;
    if (--fLockCount == 0) {
        fOwner = -1;
        fChanged.notify_all();
    }
}

int32 LooperState::ReleaseAll() {
    std::lock_guard<std::mutex> lock(fMutex);
    if (fOwner != current_thread())
        return 0;
    int32 released = fLockCount;
    fOwner = -1;
    fLockCount = 0;
    fChanged.notify_all();
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
    std::lock_guard<std::mutex> lock(fMutex);
    if (fQuitting || fLoopEnded)
        return B_BAD_PORT_ID;
    fQueue.push_back(std::move(entry));
    fChanged.notify_all();
    return B_OK;
}

bool LooperState::IsMessageWaiting() const {
    std::lock_guard<std::mutex> lock(fMutex);
    for (const QueuedMessage &entry : fQueue) {
        if (entry.kind == QueuedMessage::kMessage)
            return true;
    }
    return false;
}

bool LooperState::Take(QueuedMessage *entry) {
    std::unique_lock<std::mutex> lock(fMutex);
    for (;;) {
        fChanged.wait(lock, [&] { return fStop || !fQueue.empty(); });
        if (fStop)
            return false;
        QueuedMessage front = std::move(fQueue.front());
        fQueue.pop_front();
        switch (front.kind) {
            case QueuedMessage::kIdleMarker:
                fPassedMarker = front.marker;
                fChanged.notify_all();
                continue;
            case QueuedMessage::kQuit:
                return false;
            case QueuedMessage::kMessage:
                *entry = std::move(front);
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
            fChanged.notify_all();
        }
        body();
    });
    fChanged.wait(lock, [&] { return fThread >= 0; });
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
    std::lock_guard<std::mutex> lock(fMutex);
    fQuitting = true;
    fChanged.notify_all();
}

bool LooperState::RequestQuitOnOwnThread() {
    std::lock_guard<std::mutex> lock(fMutex);
    fQuitting = true;
    fEndAfterDispatch = true;
    fChanged.notify_all();
    if (fMode != kNotQuitting)
        return false;
    fMode = kQuitOnOwnThread;
    return true;
}

bool LooperState::RequestQuitFromOtherThread() {
    std::lock_guard<std::mutex> lock(fMutex);
    if (fMode != kNotQuitting)
        return false;
    fMode = kQuitFromOtherThread;
    QueuedMessage quit;
    quit.kind = QueuedMessage::kQuit;
    fQueue.push_back(std::move(quit));
    fQuitting = true;
    fChanged.notify_all();
    return true;
}

void LooperState::RequestStop() {
    std::lock_guard<std::mutex> lock(fMutex);
    if (fMode == kNotQuitting)
        fMode = kDestroyed;
    fQuitting = true;
    fStop = true;
    fChanged.notify_all();
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
    std::deque<QueuedMessage> dropped;
    {
        std::lock_guard<std::mutex> lock(fMutex);
        fLoopEnded = true;
        fQuitting = true;
        dropped.swap(fQueue);
        fChanged.notify_all();
    }
    // The dropped messages are freed here, outside the mutex.
}

void LooperState::WaitForLoopEnd() {
    std::unique_lock<std::mutex> lock(fMutex);
    if (!fRunning)
        return;
    fChanged.wait(lock, [&] { return fLoopEnded; });
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
    QueuedMessage marker;
    marker.kind = QueuedMessage::kIdleMarker;
    marker.marker = ++fNextMarker;
    uint64 wanted = marker.marker;
    fQueue.push_back(std::move(marker));
    fChanged.notify_all();
    bool finished =
        _WaitUntil(lock, timeout, [&] { return fPassedMarker >= wanted || fLoopEnded; });
    if (fPassedMarker >= wanted)
        return B_OK;
    if (finished)
        return B_BAD_PORT_ID;
    return B_TIMED_OUT;
}

}  // namespace BPrivate
