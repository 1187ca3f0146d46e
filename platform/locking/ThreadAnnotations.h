// Clang's thread-safety attributes, written as leveldb writes them: which mutex guards a
// field (GUARDED_BY), which a function needs held (REQUIRES) or must not hold (EXCLUDES).
// A tree built with clang and -Wthread-safety checks every access; under GCC they are
// empty. Not part of the Be API: the kits, the player and the add-on share it.
#ifndef BRINDLE_LOCKING_THREAD_ANNOTATIONS_H
#define BRINDLE_LOCKING_THREAD_ANNOTATIONS_H

#if defined(__clang__)
#define BRINDLE_THREAD_ATTRIBUTE(x) __attribute__((x))
#else
#define BRINDLE_THREAD_ATTRIBUTE(x)
#endif

#define CAPABILITY(x) BRINDLE_THREAD_ATTRIBUTE(capability(x))
#define SCOPED_CAPABILITY BRINDLE_THREAD_ATTRIBUTE(scoped_lockable)
#define GUARDED_BY(x) BRINDLE_THREAD_ATTRIBUTE(guarded_by(x))
#define PT_GUARDED_BY(x) BRINDLE_THREAD_ATTRIBUTE(pt_guarded_by(x))
#define REQUIRES(...) BRINDLE_THREAD_ATTRIBUTE(requires_capability(__VA_ARGS__))
#define ACQUIRE(...) BRINDLE_THREAD_ATTRIBUTE(acquire_capability(__VA_ARGS__))
#define RELEASE(...) BRINDLE_THREAD_ATTRIBUTE(release_capability(__VA_ARGS__))
#define EXCLUDES(...) BRINDLE_THREAD_ATTRIBUTE(locks_excluded(__VA_ARGS__))
#define ASSERT_CAPABILITY(x) BRINDLE_THREAD_ATTRIBUTE(assert_capability(x))
#define RETURN_CAPABILITY(x) BRINDLE_THREAD_ATTRIBUTE(lock_returned(x))
#define NO_THREAD_SAFETY_ANALYSIS BRINDLE_THREAD_ATTRIBUTE(no_thread_safety_analysis)

#endif  // BRINDLE_LOCKING_THREAD_ANNOTATIONS_H
