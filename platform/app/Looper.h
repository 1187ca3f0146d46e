// BLooper: a thread with a message queue, handing each message to a handler.
//
// Run() starts the looper's own thread; messages posted before then wait in the queue.
// The thread holds the looper lock while it dispatches each message, so a thread that
// Lock()s the looper waits for the message in progress to finish, and the looper's
// thread waits for any other holder before it dispatches the next one.
//
// The lock is recursive and owned by a thread. Lock() returns false when the looper is
// gone (it checks the pointer against the live loopers first) or quitting.
//
// Quit(), as on the original platform:
//   - from another thread, with the lock held: lets the thread dispatch what was posted
//     before, ends it, waits for it, and deletes the looper;
//   - on the looper's own thread (from a handler): the loop ends once the current
//     dispatch returns, and the thread deletes the looper before it exits; messages
//     still queued are dropped;
//   - on a looper that was never Run: deletes it at once.
// Once a looper is quitting, posting to it fails with B_BAD_PORT_ID.
//
// Messages are posted by copy: the caller keeps its BMessage. A message to a handler
// that left the looper or was deleted before its turn is dropped.
//
// Extension of this platform: WaitForIdle() (below) lets another thread wait until the
// looper has dispatched everything posted before the call.
#ifndef BRINDLE_APP_LOOPER_H
#define BRINDLE_APP_LOOPER_H

#include <memory>
#include <thread>
#include <vector>

#include <Handler.h>
#include <Message.h>
#include <Mutex.h>
#include <SupportDefs.h>

#ifndef B_INFINITE_TIMEOUT
#define B_INFINITE_TIMEOUT (9223372036854775807LL)
#endif

#define B_LOOPER_PORT_DEFAULT_CAPACITY 200
#define B_NORMAL_PRIORITY 10

namespace BPrivate {
class LooperState;
}

class BLooper : public BHandler {
public:
    // `priority` and `portCapacity` are accepted for compatibility; the queue is unbounded.
    explicit BLooper(const char *name = nullptr, int32 priority = B_NORMAL_PRIORITY,
                     int32 portCapacity = B_LOOPER_PORT_DEFAULT_CAPACITY);
    // Leaves no thread behind: a running loop is stopped and waited for (use Quit() to
    // end a running looper; deleting one whose thread is inside a handler is a bug).
    // Handlers still attached are detached, not deleted.
    virtual ~BLooper();

    // Posting. The message is copied. Without a handler the message goes to the looper
    // itself; PostMessage(message, handler) with a null handler goes to the preferred
    // handler. The handler must belong to this looper (B_MISMATCHED_VALUES otherwise).
    // `replyTo` becomes the message's return address. B_BAD_PORT_ID once quitting.
    status_t PostMessage(uint32 command);
    status_t PostMessage(BMessage *message);
    status_t PostMessage(uint32 command, BHandler *handler, BHandler *replyTo = nullptr);
    status_t PostMessage(BMessage *message, BHandler *handler, BHandler *replyTo = nullptr);

    // Called on the looper's thread, with the lock held, for every message.
    // B_QUIT_REQUESTED aimed at the looper itself asks QuitRequested() and, if it agrees,
    // calls Quit(); everything else goes to handler->MessageReceived().
    virtual void DispatchMessage(BMessage *message, BHandler *handler);
    virtual void MessageReceived(BMessage *message);
    // The message being dispatched, null outside a dispatch. Looper thread only.
    BMessage *CurrentMessage() const { return fCurrentMessage; }
    // Takes the current message away from the looper: the caller deletes it.
    BMessage *DetachCurrentMessage();
    bool IsMessageWaiting() const;

    // Handlers. Call with the lock held. A handler already in another looper is refused.
    void AddHandler(BHandler *handler);
    bool RemoveHandler(BHandler *handler);
    int32 CountHandlers() const;
    BHandler *HandlerAt(int32 index) const;
    int32 IndexOf(BHandler *handler) const;
    BHandler *PreferredHandler() const;
    void SetPreferredHandler(BHandler *handler);

    // Starts the looper's thread and returns its id. A second call returns
    // B_BAD_THREAD_STATE and starts nothing.
    virtual thread_id Run();
    virtual void Quit();
    // Default: true.
    virtual bool QuitRequested();

    // Locking.
    bool Lock();
    void Unlock();
    status_t LockWithTimeout(bigtime_t timeout);
    // Whether the calling thread holds the lock.
    bool IsLocked() const;
    thread_id LockingThread() const;
    int32 CountLocks() const;

    // Platform extension. Called from a thread that does not hold the lock (and is not
    // the looper's own), returns B_OK once every message posted before the call has been
    // dispatched. The wait uses a private marker in the queue that no handler ever sees.
    // Like Lock(), it looks the looper up by address before it touches it.
    // B_OK at once when the looper has no thread yet (nothing can be dispatched before
    // Run; the queue is kept); B_BAD_PORT_ID if the looper is quitting or quits during
    // the wait (the wait never outlives the looper); B_NOT_ALLOWED when the caller holds
    // the lock or is the looper's thread (the wait could never end); B_TIMED_OUT after
    // `timeout` microseconds.
    status_t WaitForIdle(bigtime_t timeout = B_INFINITE_TIMEOUT);
    // Platform extension. `hook` runs on a looper's thread each time it has dispatched
    // everything queued, before an idle waiter is let go; without the lock. One for the
    // process; set it before any looper runs (null: none).
    static void SetIdleHook(void (*hook)());

    // The looper's thread, negative before Run().
    thread_id Thread() const;
    team_id Team() const;
    // The looper whose thread is `thread`, null if none.
    static BLooper *LooperForThread(thread_id thread);

protected:
    // Runs the message loop on the calling thread until the looper quits. BApplication
    // runs its loop this way; `ownThread` says whether the thread is the looper's own
    // std::thread (which then deletes the looper after an own-thread Quit).
    void RunLoop(bool ownThread);
    // Shared, lifetime-independent state (queue and lock).
    const std::shared_ptr<BPrivate::LooperState> &State() const { return fState; }

private:
    friend class BMessenger;
    friend class BHandler;

    status_t _Post(const BMessage *message, int32 handlerToken, bool usePreferred,
                   BHandler *replyTo);
    BHandler *_ResolveTarget(int32 handlerToken, bool usePreferred);
    void _DetachHandlers();

    std::shared_ptr<BPrivate::LooperState> fState;
    std::thread fThread;  // assigned in Run() under the state's mutex
    BMessage *fCurrentMessage = nullptr;
    bool fCurrentDetached = false;
    mutable brindle::Mutex fHandlersLock;
    std::vector<BHandler *> fHandlers GUARDED_BY(fHandlersLock);
    BHandler *fPreferred GUARDED_BY(fHandlersLock) = nullptr;
};

#endif  // BRINDLE_APP_LOOPER_H
