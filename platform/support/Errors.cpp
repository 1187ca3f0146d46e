#include <Errors.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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

namespace {

// The host error a status code stands for, or 0 when it stands for none.
int errno_of(int32_t status) {
    switch (status) {
        case B_NO_MEMORY:
            return ENOMEM;
        case B_IO_ERROR:
            return EIO;
        case B_PERMISSION_DENIED:
            return EACCES;
        case B_BAD_VALUE:
            return EINVAL;
        case B_TIMED_OUT:
            return ETIMEDOUT;
        case B_INTERRUPTED:
            return EINTR;
        case B_WOULD_BLOCK:
            return EAGAIN;
        case B_BUSY:
            return EBUSY;
        case B_NOT_ALLOWED:
            return EPERM;
        case B_BAD_ADDRESS:
            return EFAULT;
        case B_NOT_AN_EXECUTABLE:
            return ENOEXEC;
        case B_FILE_ERROR:
            return EBADF;
        case B_FILE_NOT_FOUND:
        case B_ENTRY_NOT_FOUND:
            return ENOENT;
        case B_FILE_EXISTS:
            return EEXIST;
        case B_NAME_TOO_LONG:
            return ENAMETOOLONG;
        case B_NOT_A_DIRECTORY:
            return ENOTDIR;
        case B_DIRECTORY_NOT_EMPTY:
            return ENOTEMPTY;
        case B_DEVICE_FULL:
            return ENOSPC;
        case B_READ_ONLY_DEVICE:
            return EROFS;
        case B_IS_A_DIRECTORY:
            return EISDIR;
        case B_NO_MORE_FDS:
            return EMFILE;
        case B_CROSS_DEVICE_LINK:
            return EXDEV;
        case B_LINK_LIMIT:
            return ELOOP;
        case B_BUSTED_PIPE:
            return EPIPE;
        case B_UNSUPPORTED:
            return ENOTSUP;
        default:
            return 0;
    }
}

// The kit's words for the codes no host error stands for (the original platform's).
const char *kit_text(int32_t status) {
    switch (status) {
        case B_OK:
            return "No error";
        case B_ERROR:
            return "General system error";
        case B_BAD_INDEX:
            return "Index not in range for the data set";
        case B_BAD_TYPE:
            return "Bad argument type passed to function";
        case B_MISMATCHED_VALUES:
            return "Mismatched values passed to function";
        case B_NAME_NOT_FOUND:
            return "Name not found";
        case B_NAME_IN_USE:
            return "Name in use";
        case B_CANCELED:
            return "Operation canceled";
        case B_NO_INIT:
            return "Initialization failed";
        case B_BAD_DATA:
            return "Bad data";
        case B_BAD_SEM_ID:
            return "Bad semaphore ID";
        case B_NO_MORE_SEMS:
            return "No more semaphores";
        case B_BAD_THREAD_ID:
            return "Bad thread ID";
        case B_NO_MORE_THREADS:
            return "No more threads";
        case B_BAD_THREAD_STATE:
            return "Thread is in an inappropriate state";
        case B_BAD_TEAM_ID:
            return "Operation on invalid team";
        case B_NO_MORE_TEAMS:
            return "No more teams";
        case B_BAD_PORT_ID:
            return "Bad port ID";
        case B_NO_MORE_PORTS:
            return "No more ports available";
        case B_BAD_IMAGE_ID:
            return "Bad image ID";
        case B_MISSING_LIBRARY:
            return "Missing library";
        case B_MISSING_SYMBOL:
            return "Symbol not found";
        case B_BAD_REPLY:
            return "Bad reply";
        case B_DUPLICATE_REPLY:
            return "Duplicate reply";
        case B_MESSAGE_TO_SELF:
            return "Can't send message to self";
        case B_BAD_HANDLER:
            return "Bad handler";
        case B_ALREADY_RUNNING:
            return "Already running";
        case B_LAUNCH_FAILED:
            return "Launch failed";
        case B_AMBIGUOUS_APP_LAUNCH:
            return "Ambiguous app launch";
        case B_UNKNOWN_MIME_TYPE:
            return "Unknown MIME type";
        case B_BAD_SCRIPT_SYNTAX:
            return "Bad script syntax";
        case B_LAUNCH_FAILED_NO_RESOLVE_LINK:
            return "Could not resolve a link";
        case B_LAUNCH_FAILED_EXECUTABLE:
            return "File is mistakenly marked as executable";
        case B_LAUNCH_FAILED_APP_NOT_FOUND:
            return "Application could not be found";
        case B_LAUNCH_FAILED_APP_IN_TRASH:
            return "Application is in the trash";
        case B_LAUNCH_FAILED_NO_PREFERRED_APP:
            return "There is no preferred application for this type of file";
        case B_LAUNCH_FAILED_FILES_APP_NOT_FOUND:
            return "This file has a preferred app, but it could not be found";
        case B_BAD_MIME_SNIFFER_RULE:
            return "Bad sniffer rule";
        case B_NOT_A_MESSAGE:
            return "Data is not a message";
        case B_PARTITION_TOO_SMALL:
            return "Partition too small to contain filesystem";
        default:
            return nullptr;
    }
}

}  // namespace

const char *status_text(int32_t status) {
    const int error = status > 0 ? status : errno_of(status);
    // strerrordesc_np, unlike strerror, shares no buffer between threads.
    if (error != 0) {
        if (const char *text = strerrordesc_np(error))
            return text;
    }
    if (const char *text = kit_text(status))
        return text;
    thread_local char unknown[32];
    snprintf(unknown, sizeof unknown, "Unknown error %d", static_cast<int>(status));
    return unknown;
}
