// The part of a looper that other threads may still hold after the looper is deleted:
// its message queue, its lock and its life cycle. Messengers post here, Lock() waits
// here and WaitForIdle() waits here, each holding a reference, so none of them ever
// touches a looper that was freed under it: they find the state closed instead.
//
// One mutex guards the state (GUARDED_BY below); no user code runs while it is held.
// Each kind of waiter has a condition of its own (the lock's, the loop's, the idle
// waiters', the life cycle's), so a change wakes only the threads it concerns, and
// threads are woken after the mutex is let go, so they do not wake only to wait for it
// (holding a reference to the state meanwhile: the woken thread may end the looper at
// once).
#ifndef BRINDLE_APP_PRIVATE_LOOPER_STATE_H
#define BRINDLE_APP_PRIVATE_LOOPER_STATE_H

#include <deque>
#include <functional>
#include <memory>
#include <thread>

#include <Message.h>
#include <Mutex.h>
#include <RecursiveMutex.h>
#include <SupportDefs.h>

namespace BPrivate {

// The calling thread's id (the kernel's thread id).
thread_id current_thread();

struct QueuedMessage {
    enum Kind { kMessage, kIdleMarker, kQuit };

    Kind kind = kMessage;
    std::unique_ptr<BMessage> message;
    int32 handlerToken = -1;
    bool usePreferred = false;
    uint64 marker = 0;
};

class LooperState : public std::enable_shared_from_this<LooperState> {
public:
    // Who ends the looper, decided by the first request.
    enum QuitMode { kNotQuitting, kQuitOnOwnThread, kQuitFromOtherThread, kDestroyed };

    LooperState() = default;
    LooperState(const LooperState &) = delete;
    LooperState &operator=(const LooperState &) = delete;

    // --- the looper lock ---
    // B_OK; B_BAD_VALUE when the looper is gone or, unless `forLoop`, quitting;
    // B_TIMED_OUT. The loop's own acquisitions pass while quitting, so it can dispatch
    // what was posted before a Quit from another thread.
    status_t Lock(bigtime_t timeout, bool forLoop = false) EXCLUDES(fMutex);
    void Unlock() EXCLUDES(fMutex);
    // Releases every level the calling thread holds; returns how many.
    int32 ReleaseAll() EXCLUDES(fMutex);
    bool IsLockedByCaller() const EXCLUDES(fMutex);
    thread_id LockingThread() const EXCLUDES(fMutex);
    int32 CountLocks() const EXCLUDES(fMutex);

    // --- the queue ---
    // B_BAD_PORT_ID once the looper is quitting.
    status_t Post(QueuedMessage entry) EXCLUDES(fMutex);
    bool IsMessageWaiting() const EXCLUDES(fMutex);
    // Called by the loop: the next message to dispatch, waiting for one. Idle markers
    // are passed here. False when the loop must end.
    bool Take(QueuedMessage *entry) EXCLUDES(fMutex);

    // --- life cycle ---
    // Starts `body` on a new thread stored in `slot` (assigned before the thread runs any
    // of `body`); returns the thread's id, or B_BAD_THREAD_STATE if the looper already
    // runs or is quitting.
    thread_id StartThread(std::thread *slot, std::function<void()> body) EXCLUDES(fMutex);
    // The calling thread becomes the looper's thread (an application's Run()).
    thread_id StartOnCaller() EXCLUDES(fMutex);
    bool IsRunning() const EXCLUDES(fMutex);
    bool IsQuitting() const EXCLUDES(fMutex);
    thread_id Thread() const EXCLUDES(fMutex);

    // The looper stops taking messages and other threads' Lock() fails.
    void MarkQuitting() EXCLUDES(fMutex);
    // A Quit() on the looper's own thread: the loop ends after the current dispatch.
    // Returns false when another thread's Quit already owns the ending.
    bool RequestQuitOnOwnThread() EXCLUDES(fMutex);
    // A Quit() from another thread: everything queued so far is dispatched, then the loop
    // ends. False if a quit was already under way.
    bool RequestQuitFromOtherThread() EXCLUDES(fMutex);
    // The looper is being destroyed: the loop ends at its next step.
    void RequestStop() EXCLUDES(fMutex);
    QuitMode Mode() const EXCLUDES(fMutex);
    // Whether the loop should end now (after a dispatch).
    bool ShouldEndLoop() const EXCLUDES(fMutex);
    // The loop is over: waiters wake, the queue is dropped.
    void LoopEnded() EXCLUDES(fMutex);
    void WaitForLoopEnd() EXCLUDES(fMutex);

    // Platform extensions, see BLooper::WaitForIdle() and BLooper::SetIdleHook().
    status_t WaitForIdle(bigtime_t timeout) EXCLUDES(fMutex);
    static void SetIdleHook(void (*hook)());

private:
    // When a timed wait gives up.
    struct Deadline {
        bool never;
        brindle::ConditionVariable::Clock::time_point at;
    };
    static Deadline _DeadlineAfter(bigtime_t timeout);

    // Whether a message (not a marker) is queued.
    bool _MessageQueued() const REQUIRES(fMutex);
    // Whether Lock() must refuse.
    bool _LockRefused(bool forLoop) const REQUIRES(fMutex);
    // One wait on `condition`; false once `deadline` has passed.
    bool _Wait(brindle::ConditionVariable &condition, const Deadline &deadline) REQUIRES(fMutex);
    // Wakes every thread a change of the quitting state concerns.
    void _NotifyQuitting() EXCLUDES(fMutex);

    mutable brindle::Mutex fMutex;
    brindle::ConditionVariable fLockFreed;  // Lock(): the lock was let go, or refusal began
    brindle::ConditionVariable fQueued;     // Take(): something was queued, or the loop stops
    brindle::ConditionVariable fIdle;       // WaitForIdle(): a marker passed, or the loop ended
    brindle::ConditionVariable fLifeCycle;  // the thread started, the loop ended

    // The looper lock's owner and count, kept under fMutex with the life cycle: a
    // waiting Lock() also ends when the looper starts quitting.
    brindle::LockOwnership fLockOwnership GUARDED_BY(fMutex);

    std::deque<QueuedMessage> fQueue GUARDED_BY(fMutex);
    uint64 fNextMarker GUARDED_BY(fMutex) = 0;
    uint64 fPassedMarker GUARDED_BY(fMutex) = 0;
    // Between Take() handing out a message and the loop's next Take(): a dispatch is
    // under way, so an empty queue alone does not mean idle.
    bool fDispatching GUARDED_BY(fMutex) = false;

    bool fRunning GUARDED_BY(fMutex) = false;
    thread_id fThread GUARDED_BY(fMutex) = -1;
    bool fQuitting GUARDED_BY(fMutex) = false;
    QuitMode fMode GUARDED_BY(fMutex) = kNotQuitting;
    bool fEndAfterDispatch GUARDED_BY(fMutex) = false;
    bool fStop GUARDED_BY(fMutex) = false;
    bool fLoopEnded GUARDED_BY(fMutex) = false;
};

}  // namespace BPrivate

#endif  // BRINDLE_APP_PRIVATE_LOOPER_STATE_H
