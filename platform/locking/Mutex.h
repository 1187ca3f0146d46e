// A mutex the thread-safety analysis understands, its scoped holder and a condition
// variable that waits on it. Thin wrappers over the standard ones: no cost beyond them.
//
//   Mutex fLock;
//   int fCount GUARDED_BY(fLock);
//   void Add() EXCLUDES(fLock) { MutexLock lock(fLock); fCount++; }
//
// Not recursive: a thread that takes a Mutex it holds deadlocks (the analysis reports it
// where it can see it). Not part of the Be API: the kits, the player and the add-on
// share it.
#ifndef BRINDLE_LOCKING_MUTEX_H
#define BRINDLE_LOCKING_MUTEX_H

#include <chrono>
#include <condition_variable>
#include <mutex>

#include <ThreadAnnotations.h>

namespace brindle {

class CAPABILITY("mutex") Mutex {
public:
    Mutex() = default;
    Mutex(const Mutex &) = delete;
    Mutex &operator=(const Mutex &) = delete;

    void Lock() ACQUIRE() { fMutex.lock(); }
    void Unlock() RELEASE() { fMutex.unlock(); }

private:
    friend class ConditionVariable;
    std::mutex fMutex;
};

// Holds `mutex` from construction to destruction; Unlock() and Lock() let it go and
// take it again in between (to run a callback or wake a thread without it).
class SCOPED_CAPABILITY MutexLock {
public:
    explicit MutexLock(Mutex &mutex) ACQUIRE(mutex) : fMutex(mutex) { fMutex.Lock(); }
    ~MutexLock() RELEASE() {
        if (fHeld)
            fMutex.Unlock();
    }
    MutexLock(const MutexLock &) = delete;
    MutexLock &operator=(const MutexLock &) = delete;

    void Unlock() RELEASE() {
        fMutex.Unlock();
        fHeld = false;
    }
    void Lock() ACQUIRE() {
        fMutex.Lock();
        fHeld = true;
    }

private:
    Mutex &fMutex;
    bool fHeld = true;
};

// Waits release the mutex while they sleep and hold it again when they return. As with
// any condition variable a wait may end early: callers loop on their condition.
class ConditionVariable {
public:
    typedef std::chrono::steady_clock Clock;

    ConditionVariable() = default;
    ConditionVariable(const ConditionVariable &) = delete;
    ConditionVariable &operator=(const ConditionVariable &) = delete;

    void Wait(Mutex &mutex) REQUIRES(mutex) {
        std::unique_lock<std::mutex> lock(mutex.fMutex, std::adopt_lock);
        fCondition.wait(lock);
        lock.release();
    }
    // False once `deadline` has passed.
    bool WaitUntil(Mutex &mutex, Clock::time_point deadline) REQUIRES(mutex) {
        std::unique_lock<std::mutex> lock(mutex.fMutex, std::adopt_lock);
        const bool woken = fCondition.wait_until(lock, deadline) == std::cv_status::no_timeout;
        lock.release();
        return woken;
    }
    void NotifyOne() { fCondition.notify_one(); }
    void NotifyAll() { fCondition.notify_all(); }

private:
    std::condition_variable fCondition;
};

}  // namespace brindle

#endif  // BRINDLE_LOCKING_MUTEX_H
