#include <Errors.h>

#include <cerrno>

int32_t status_from_errno(int error) {
    switch (error) {
        case 0:
            return B_OK;
        case ENOMEM:
            return B_NO_MEMORY;
        case EIO:
            return B_IO_ERROR;
        case EACCES:
            return B_PERMISSION_DENIED;
        case EPERM:
            return B_NOT_ALLOWED;
        case EINVAL:
            return B_BAD_VALUE;
        case ETIMEDOUT:
            return B_TIMED_OUT;
        case EINTR:
            return B_INTERRUPTED;
        case EAGAIN:
            return B_WOULD_BLOCK;
        case EBUSY:
            return B_BUSY;
        case EFAULT:
            return B_BAD_ADDRESS;
        case ENOEXEC:
            return B_NOT_AN_EXECUTABLE;
        case EBADF:
            return B_FILE_ERROR;
        case EEXIST:
            return B_FILE_EXISTS;
        case ENOENT:
            return B_ENTRY_NOT_FOUND;
        case ENODATA:
            return B_ENTRY_NOT_FOUND;  // a missing extended attribute
        case ENAMETOOLONG:
            return B_NAME_TOO_LONG;
        case ENOTDIR:
            return B_NOT_A_DIRECTORY;
        case ENOTEMPTY:
            return B_DIRECTORY_NOT_EMPTY;
        case ENOSPC:
            return B_DEVICE_FULL;
        case EDQUOT:
            return B_DEVICE_FULL;
        case E2BIG:
            return B_DEVICE_FULL;  // an attribute larger than the file system keeps
        case EROFS:
            return B_READ_ONLY_DEVICE;
        case EISDIR:
            return B_IS_A_DIRECTORY;
        case EMFILE:
            return B_NO_MORE_FDS;
        case ENFILE:
            return B_NO_MORE_FDS;
        case EXDEV:
            return B_CROSS_DEVICE_LINK;
        case ELOOP:
            return B_LINK_LIMIT;
        case EPIPE:
            return B_BUSTED_PIPE;
        case ENOTSUP:
            return B_UNSUPPORTED;
        case ERANGE:
            return B_BAD_VALUE;
        case EFBIG:
            return B_DEVICE_FULL;
        case ENXIO:
            return B_FILE_ERROR;  // e.g. a FIFO with no writer opened non-blocking
        default:
            return B_ERROR;
    }
}
