// An exclusive lock on a file for the whole of a save, in place or through a copy beside it.
// Every Brindle player takes it (flock), so two saves of one file take turns instead of the
// later rename putting back a copy made before the other save wrote. Other programs that
// take flock on the file (flock(1), a tagger) are waited for too, but never for long: the
// window's thread must stay free, and the player must be able to quit.
#ifndef BRINDLE_TAGS_FILE_LOCK_H
#define BRINDLE_TAGS_FILE_LOCK_H

#include <Node.h>
#include <SupportDefs.h>

// How long a save waits for another holder of the lock: a Brindle save holds it only while it
// writes, so a longer wait means another program that may hold it for good.
constexpr bigtime_t SAVE_LOCK_WAIT = 2000000;

class file_lock {
public:
    file_lock() = default;
    // Releases the lock.
    ~file_lock();
    file_lock(const file_lock &) = delete;
    file_lock &operator=(const file_lock &) = delete;

    // Waits at most `wait` microseconds (none at all for 0) until no other holder has the
    // file `node` is, then holds it until destruction, whether `node` stays open or not.
    // B_OK, also on a file system that keeps no locks (nothing is held then); B_BUSY when
    // another holder kept it past the wait; otherwise the host's error.
    status_t Lock(BNode &node, bigtime_t wait = SAVE_LOCK_WAIT);

private:
    int fFd = -1;
};

#endif  // BRINDLE_TAGS_FILE_LOCK_H
