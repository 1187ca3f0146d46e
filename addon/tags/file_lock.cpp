#include "tags/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include <Errors.h>
#include <Mutex.h>
#include <SystemIo.h>

namespace {

// A blocking flock that the waiting thread can stop waiting for. The flock runs on a thread
// of its own, on a descriptor of its own; a lock it gets after the waiter gave up is let go.
struct lock_wait {
    explicit lock_wait(int descriptor) : fd(descriptor) {}

    const int fd;  // holds the lock once finished with `error` 0
    brindle::Mutex mutex;
    brindle::ConditionVariable done;
    bool finished GUARDED_BY(mutex) = false;   // the flock returned
    bool abandoned GUARDED_BY(mutex) = false;  // the waiter gave up
    int error GUARDED_BY(mutex) = 0;
};

void take_lock(std::shared_ptr<lock_wait> wait) {
    const int result = brindle::retry_on_eintr([&] { return flock(wait->fd, LOCK_EX); });
    brindle::MutexLock guard(wait->mutex);
    wait->finished = true;
    wait->error = result == 0 ? 0 : errno;
    if (wait->abandoned) {
        close(wait->fd);  // releases the lock too
        return;
    }
    wait->done.NotifyOne();
}

// Waits up to `timeout` for the lock on the file open on `fd`: the descriptor that holds it,
// or -1 with errno set (EWOULDBLOCK when the time ran out).
int wait_for_lock(int fd, bigtime_t timeout) {
    // Another open file description, so that the lock is this one's alone.
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    const int own = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (own < 0)
        return -1;
    auto wait = std::make_shared<lock_wait>(own);
    try {
        std::thread(take_lock, wait).detach();
    } catch (const std::system_error &) {
        close(wait->fd);
        errno = EAGAIN;
        return -1;
    }
    const auto deadline =
        brindle::ConditionVariable::Clock::now() + std::chrono::microseconds(timeout);
    brindle::MutexLock guard(wait->mutex);
    while (!wait->finished && wait->done.WaitUntil(wait->mutex, deadline)) {
    }
    if (!wait->finished) {
        wait->abandoned = true;
        errno = EWOULDBLOCK;
        return -1;
    }
    if (wait->error != 0) {
        close(wait->fd);
        errno = wait->error;
        return -1;
    }
    return wait->fd;
}

}  // namespace

file_lock::~file_lock() {
    if (fFd >= 0) {
        flock(fFd, LOCK_UN);
        close(fFd);
    }
}

status_t file_lock::Lock(BNode &node, bigtime_t wait) {
    if (fFd >= 0)
        return B_OK;
    int fd = node.Dup();
    if (fd < 0)
        return fd;
    int result = brindle::retry_on_eintr([&] { return flock(fd, LOCK_EX | LOCK_NB); });
    if (result != 0 && errno == EWOULDBLOCK && wait > 0) {
        const int held = wait_for_lock(fd, wait);
        if (held >= 0) {
            close(fd);
            fd = held;
            result = 0;
        }
    }
    if (result != 0) {
        const int error = errno;
        close(fd);
        if (error == EWOULDBLOCK)
            return B_BUSY;
        // A file system without locks: the save goes on as before locks existed.
        return error == ENOLCK || error == EOPNOTSUPP ? B_OK : status_from_errno(error);
    }
    fFd = fd;
    return B_OK;
}
