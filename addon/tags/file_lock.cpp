#include "tags/file_lock.h"

#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include <Errors.h>
#include <SystemIo.h>

file_lock::~file_lock() {
    if (fFd >= 0) {
        flock(fFd, LOCK_UN);
        close(fFd);
    }
}

status_t file_lock::Lock(BNode &node) {
    if (fFd >= 0)
        return B_OK;
    int fd = node.Dup();
    if (fd < 0)
        return fd;
    const int result = brindle::retry_on_eintr([&] { return flock(fd, LOCK_EX); });
    if (result != 0) {
        int error = errno;
        close(fd);
        // A file system without locks: the save goes on as before locks existed.
        return error == ENOLCK || error == EOPNOTSUPP ? B_OK : status_from_errno(error);
    }
    fFd = fd;
    return B_OK;
}
