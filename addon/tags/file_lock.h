// An exclusive lock on a file for the whole of a save, in place or through a copy beside it.
// Every Brindle player takes it (flock), so two saves of one file take turns instead of the
// later rename putting back a copy made before the other save wrote.
#ifndef BRINDLE_TAGS_FILE_LOCK_H
#define BRINDLE_TAGS_FILE_LOCK_H

#include <Node.h>
#include <SupportDefs.h>

class file_lock {
public:
    file_lock() = default;
    // Releases the lock.
    ~file_lock();
    file_lock(const file_lock &) = delete;
    file_lock &operator=(const file_lock &) = delete;

    // Waits until no other save holds the file `node` is, then holds it until destruction,
    // whether `node` stays open or not. A save holds it only while it writes, so the wait is
    // that long. B_OK, also on a file system that keeps no locks (nothing is held then);
    // otherwise the host's error.
    status_t Lock(BNode &node);

private:
    int fFd = -1;
};

#endif  // BRINDLE_TAGS_FILE_LOCK_H
