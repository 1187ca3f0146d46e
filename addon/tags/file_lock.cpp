#include "tags/file_lock.h"

#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include <Errors.h>

file_lock::~file_lock() {
    if (fFd >= 0) {
        flock(fFd, LOCK_UN);
        close(fFd);
    }
}

status_t file_lock::Lock(BFile &file) {
    if (fFd >= 0)
        return B_OK;
    int fd = file.Dup();
    if (fd < 0)
        return fd;
    int result;
    do {
        result = flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        int error = errno;
        close(fd);
        // A file system without locks: the save goes on as before locks existed.
        return error == ENOLCK || error == EOPNOTSUPP ? B_OK : status_from_errno(error);
    }
    fFd = fd;
    return B_OK;
}
