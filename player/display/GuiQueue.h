// Work handed to the GUI thread from other threads, with synchronisation of our own:
// a mutex-guarded queue and an eventfd that wakes Qt's event loop through a socket
// notifier. (Qt's queued calls would do the same, but their hand-over goes through
// Qt's own lock-free code, which ThreadSanitizer cannot see; this way every byte that
// crosses threads crosses under a mutex the sanitizer knows.)
//
// Made and destroyed on the GUI thread. Post() is safe from any thread and never
// waits; Call() waits for the GUI thread and must not be used on it.
#ifndef BRINDLE_PLAYER_DISPLAY_GUI_QUEUE_H
#define BRINDLE_PLAYER_DISPLAY_GUI_QUEUE_H

#include <deque>
#include <functional>

#include <QObject>

#include <Mutex.h>

class QSocketNotifier;

class GuiQueue : public QObject {
    Q_OBJECT
public:
    GuiQueue();
    ~GuiQueue() override;

    // Any thread: runs `work` on the GUI thread soon. Work posted after Close() is
    // dropped.
    void Post(std::function<void()> work) EXCLUDES(fLock);
    // Any thread but the GUI thread: runs `work` there and waits until it ran.
    // Returns at once (without running it) once the queue is closed.
    void Call(const std::function<void()> &work) EXCLUDES(fLock);
    // Runs what is queued now (the GUI thread; also called by the notifier).
    void RunPending() EXCLUDES(fLock);
    // Nothing is run after this; waiting callers are released.
    void Close() EXCLUDES(fLock);

private:
    brindle::Mutex fLock;
    brindle::ConditionVariable fRan;
    std::deque<std::function<void()>> fWork GUARDED_BY(fLock);
    unsigned long long fPosted GUARDED_BY(fLock) = 0;
    unsigned long long fDone GUARDED_BY(fLock) = 0;
    bool fClosed GUARDED_BY(fLock) = false;
    int fWakeFd;
    QSocketNotifier *fNotifier;
};

#endif  // BRINDLE_PLAYER_DISPLAY_GUI_QUEUE_H
