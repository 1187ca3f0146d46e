// Status codes with the original platform's numeric values, on a 32-bit status_t.
#ifndef BRINDLE_SUPPORT_ERRORS_H
#define BRINDLE_SUPPORT_ERRORS_H

#include <cstdint>

#define B_GENERAL_ERROR_BASE INT32_MIN
#define B_OS_ERROR_BASE (B_GENERAL_ERROR_BASE + 0x1000)
#define B_APP_ERROR_BASE (B_GENERAL_ERROR_BASE + 0x2000)
#define B_INTERFACE_ERROR_BASE (B_GENERAL_ERROR_BASE + 0x3000)
#define B_STORAGE_ERROR_BASE (B_GENERAL_ERROR_BASE + 0x6000)
#define B_POSIX_ERROR_BASE (B_GENERAL_ERROR_BASE + 0x7000)

enum {
    B_NO_MEMORY = B_GENERAL_ERROR_BASE,
    B_IO_ERROR,
    B_PERMISSION_DENIED,
    B_BAD_INDEX,
    B_BAD_TYPE,
    B_BAD_VALUE,
    B_MISMATCHED_VALUES,
    B_NAME_NOT_FOUND,
    B_NAME_IN_USE,
    B_TIMED_OUT,
    B_INTERRUPTED,
    B_WOULD_BLOCK,
    B_CANCELED,
    B_NO_INIT,
    B_BUSY,
    B_NOT_ALLOWED,
    B_BAD_DATA,

    B_ERROR = -1,
    B_OK = 0,
    B_NO_ERROR = 0
};

enum {
    B_BAD_SEM_ID = B_OS_ERROR_BASE,
    B_NO_MORE_SEMS,

    B_BAD_THREAD_ID = B_OS_ERROR_BASE + 0x100,
    B_NO_MORE_THREADS,
    B_BAD_THREAD_STATE,
    B_BAD_TEAM_ID,
    B_NO_MORE_TEAMS,

    B_BAD_PORT_ID = B_OS_ERROR_BASE + 0x200,
    B_NO_MORE_PORTS,

    B_BAD_IMAGE_ID = B_OS_ERROR_BASE + 0x300,
    B_BAD_ADDRESS,
    B_NOT_AN_EXECUTABLE,
    B_MISSING_LIBRARY,
    B_MISSING_SYMBOL,
};

enum {
    B_BAD_REPLY = B_APP_ERROR_BASE,
    B_DUPLICATE_REPLY,
    B_MESSAGE_TO_SELF,
    B_BAD_HANDLER,
    B_ALREADY_RUNNING,
    B_LAUNCH_FAILED,
    B_AMBIGUOUS_APP_LAUNCH,
    B_UNKNOWN_MIME_TYPE,
    B_BAD_SCRIPT_SYNTAX,
    B_LAUNCH_FAILED_NO_RESOLVE_LINK,
    B_LAUNCH_FAILED_EXECUTABLE,
    B_LAUNCH_FAILED_APP_NOT_FOUND,
    B_LAUNCH_FAILED_APP_IN_TRASH,
    B_LAUNCH_FAILED_NO_PREFERRED_APP,
    B_LAUNCH_FAILED_FILES_APP_NOT_FOUND,
    B_BAD_MIME_SNIFFER_RULE,
    B_NOT_A_MESSAGE,
};

enum {
    B_FILE_ERROR = B_STORAGE_ERROR_BASE,
    B_FILE_NOT_FOUND,  // discouraged; use B_ENTRY_NOT_FOUND
    B_FILE_EXISTS,
    B_ENTRY_NOT_FOUND,
    B_NAME_TOO_LONG,
    B_NOT_A_DIRECTORY,
    B_DIRECTORY_NOT_EMPTY,
    B_DEVICE_FULL,
    B_READ_ONLY_DEVICE,
    B_IS_A_DIRECTORY,
    B_NO_MORE_FDS,
    B_CROSS_DEVICE_LINK,
    B_LINK_LIMIT,
    B_BUSTED_PIPE,
    B_UNSUPPORTED,
    B_PARTITION_TOO_SMALL,
};

// Turns a host errno value into the platform's status code. The one place where
// host errors become status codes; every kit goes through it.
int32_t status_from_errno(int error);

// The words for a status code, to show a person: the host's own (strerror's) for the codes
// that stand for a host error, the kit's for the rest ("Bad port ID"), and "Unknown error
// N" for a value that is neither. A positive value is taken as a host errno. Safe from any
// thread; the text is static, except an unknown value's, which the calling thread's next
// call replaces.
const char *status_text(int32_t status);

#endif  // BRINDLE_SUPPORT_ERRORS_H
