// A lock that the thread holding it may take again: an owner and a count, the kind a
// BLooper's lock is. The analysis knows it as a mutex, so fields can be GUARDED_BY it
// and functions can REQUIRE it; it does not model the nesting itself (the analysis of
// this compiler has no re-entrant capability), so code it checks takes it once per
// function, and the nesting is left to callers it cannot see (an add-on holding a
// playlist's lock across calls that each take it again).
//
//   RecursiveMutex fLock;
//   int fCount GUARDED_BY(fLock);
//   int Count() const { RecursiveMutexLock hold(fLock); return fCount; }
//
// Not part of the Be API: the kits and the player share it.
#ifndef BRINDLE_LOCKING_RECURSIVE_MUTEX_H
#define BRINDLE_LOCKING_RECURSIVE_MUTEX_H

#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>

#include <Mutex.h>

namespace brindle {

// The calling thread's id (the kernel's thread id, as BLooper::LockingThread() gives it).
inline int32_t current_thread_id() {
    thread_local const int32_t id = static_cast<int32_t>(syscall(SYS_gettid));
    return id;
}

// Who holds an owner-and-count lock and how many times: the bookkeeping alone, kept
// under a mutex of its user's (RecursiveMutex below; a looper's state, whose waits also
// end when the looper quits).
class LockOwnership {
public:
    // Takes one more level for `thread` when the lock is free or already its own; false
    // (changing nothing) when another thread holds it.
    bool Take(int32_t thread) {
        if (fOwner >= 0 && fOwner != thread)
            return false;
        fOwner = thread;
        fCount++;
        return true;
    }
    // Lets one level go; true when that freed the lock. A thread that does not hold it
    // changes nothing.
    bool Release(int32_t thread) {
        if (fOwner < 0 || fOwner != thread || --fCount != 0)
            return false;
        fOwner = -1;
        return true;
    }
    // Lets every level `thread` holds go; returns how many (0 when it holds none).
    int32_t ReleaseAll(int32_t thread) {
        if (fOwner < 0 || fOwner != thread)
            return 0;
        const int32_t released = fCount;
        fOwner = -1;
        fCount = 0;
        return released;
    }
    bool IsHeldBy(int32_t thread) const { return fOwner >= 0 && fOwner == thread; }
    bool IsHeld() const { return fOwner >= 0; }
    // -1 when free.
    int32_t Owner() const { return fOwner; }
    int32_t Count() const { return fCount; }

private:
    int32_t fOwner = -1;
    int32_t fCount = 0;
};

class CAPABILITY("mutex") RecursiveMutex {
public:
    RecursiveMutex() = default;
    RecursiveMutex(const RecursiveMutex &) = delete;
    RecursiveMutex &operator=(const RecursiveMutex &) = delete;

    void Lock() ACQUIRE() {
        const int32_t self = current_thread_id();
        MutexLock lock(fMutex);
        while (!fOwnership.Take(self))
            fFreed.Wait(fMutex);
    }
    void Unlock() RELEASE() {
        MutexLock lock(fMutex);
        // Woken under the mutex: the woken thread may delete this lock as soon as it has
        // it, so nothing here may touch it after letting the mutex go.
        if (fOwnership.Release(current_thread_id()))
            fFreed.NotifyOne();
    }

private:
    Mutex fMutex;
    ConditionVariable fFreed;
    LockOwnership fOwnership GUARDED_BY(fMutex);
};

// Holds a RecursiveMutex from construction to destruction.
class SCOPED_CAPABILITY RecursiveMutexLock {
public:
    explicit RecursiveMutexLock(RecursiveMutex &mutex) ACQUIRE(mutex) : fMutex(mutex) {
        fMutex.Lock();
    }
    ~RecursiveMutexLock() RELEASE() { fMutex.Unlock(); }
    RecursiveMutexLock(const RecursiveMutexLock &) = delete;
    RecursiveMutexLock &operator=(const RecursiveMutexLock &) = delete;

private:
    RecursiveMutex &fMutex;
};

}  // namespace brindle

#endif  // BRINDLE_LOCKING_RECURSIVE_MUTEX_H
