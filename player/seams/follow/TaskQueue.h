// Work handed to the player's main thread from other threads (a window asking to be
// disabled, a roster message), with a file descriptor that becomes readable when there
// is something to do, so the main thread can wait for input and tasks in one poll().
//
// Post() is safe from any thread; Wake() is also safe from a signal handler. RunPending()
// and the rest belong to the main thread.
#ifndef BRINDLE_PLAYER_TASK_QUEUE_H
#define BRINDLE_PLAYER_TASK_QUEUE_H

#include <deque>
#include <functional>

#include <Mutex.h>

class TaskQueue {
public:
    typedef std::function<void()> Task;

    TaskQueue();
    ~TaskQueue();
    TaskQueue(const TaskQueue &) = delete;
    TaskQueue &operator=(const TaskQueue &) = delete;

    // False when the wake-up descriptor could not be made.
    bool InitCheck() const { return fWakeFd >= 0; }

    void Post(Task task) EXCLUDES(fLock);
    // Makes WakeFd() readable without queuing anything. Async-signal-safe.
    void Wake();

    // Readable while tasks (or a wake-up) are pending.
    int WakeFd() const { return fWakeFd; }

    // Runs the tasks queued before the call, in order. Tasks queued meanwhile wait for
    // the next call. Returns how many ran. Makes no system call when nothing is queued.
    size_t RunPending() EXCLUDES(fLock);
    bool IsEmpty() const EXCLUDES(fLock);
    // Consumes a wake-up, once poll() reported WakeFd() readable.
    void ClearWake();

private:
    mutable brindle::Mutex fLock;
    std::deque<Task> fTasks GUARDED_BY(fLock);
    int fWakeFd = -1;
};

#endif  // BRINDLE_PLAYER_TASK_QUEUE_H
