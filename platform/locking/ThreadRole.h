// A capability for state confined to one thread rather than guarded by a lock, so the
// thread-safety analysis checks the confinement as it checks a mutex:
//
//   brindle::ThreadRole fOnBus;
//   int fCount GUARDED_BY(fOnBus);
//   void _Add() REQUIRES(fOnBus) { fCount++; }
//
// The thread that owns the state binds the role once; code the analysis cannot follow onto
// that thread (a callback it runs later, a function called from elsewhere) says where it
// runs with AssertHeld(), which debug builds check against the bound thread.
#ifndef BRINDLE_LOCKING_THREAD_ROLE_H
#define BRINDLE_LOCKING_THREAD_ROLE_H

#include <cassert>
#include <thread>

#include <ThreadAnnotations.h>

namespace brindle {

class CAPABILITY("thread role") ThreadRole {
public:
    ThreadRole() = default;
    ThreadRole(const ThreadRole &) = delete;
    ThreadRole &operator=(const ThreadRole &) = delete;

    // REQUIRES: called once, by the thread the role belongs to, before anything runs in it.
    void Bind() ASSERT_CAPABILITY(this) { fThread = std::this_thread::get_id(); }
    void AssertHeld() const ASSERT_CAPABILITY(this) {
        assert(fThread == std::this_thread::get_id());
    }

private:
    std::thread::id fThread;
};

}  // namespace brindle

#endif  // BRINDLE_LOCKING_THREAD_ROLE_H
