#include <StorageSupport.h>

#include <Entry.h>
#include <Errors.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace BPrivate {

namespace {

status_t check_kind(mode_t mode, uint32 acceptedKinds) {
    if (S_ISREG(mode) && (acceptedKinds & kRegularNodes) != 0)
        return B_OK;
    if (S_ISDIR(mode))
        return (acceptedKinds & kDirectoryNodes) != 0 ? B_OK
                                                      : static_cast<status_t>(B_IS_A_DIRECTORY);
    return B_BAD_TYPE;
}

bool is_leaf_name(const char *name) {
    return name != nullptr && name[0] != '\0' && std::strchr(name, '/') == nullptr;
}

}  // namespace

status_t open_node_at(int directoryFd, const char *name, int flags, uint32 acceptedKinds, int *fd) {
    if (name == nullptr || name[0] == '\0' || fd == nullptr)
        return B_BAD_VALUE;
    *fd = -1;

    // Look before opening: opening a FIFO can block and opening a device can act on it.
    struct stat st;
    if (fstatat(directoryFd, name, &st, 0) == 0) {
        status_t status = check_kind(st.st_mode, acceptedKinds);
        if (status != B_OK)
            return status;
    } else if (errno != ENOENT || (flags & O_CREAT) == 0) {
        return status_from_errno(errno);
    }

    int newFd;
    do {
        newFd = openat(directoryFd, name, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    } while (newFd < 0 && errno == EINTR);
    if (newFd < 0)
        return status_from_errno(errno);

    // The entry may have been replaced between the look and the open.
    status_t status =
        fstat(newFd, &st) == 0 ? check_kind(st.st_mode, acceptedKinds) : status_from_errno(errno);
    // O_NONBLOCK was only there to keep the open itself from blocking; later reads and
    // writes on the file keep their ordinary meaning.
    if (status == B_OK && S_ISREG(st.st_mode) && fcntl(newFd, F_SETFL, flags & O_APPEND) != 0)
        status = status_from_errno(errno);
    if (status != B_OK) {
        close(newFd);
        return status;
    }
    *fd = newFd;
    return B_OK;
}

status_t open_ref_directory(const entry_ref *ref, int *directoryFd) {
    if (ref == nullptr || directoryFd == nullptr)
        return B_BAD_VALUE;
    *directoryFd = -1;
    const char *path = ref->DirectoryPath();
    if (path[0] == '\0')
        return B_ENTRY_NOT_FOUND;

    int fd = open(path, O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return status_from_errno(errno);
    struct stat st;
    if (fstat(fd, &st) != 0) {
        status_t status = status_from_errno(errno);
        close(fd);
        return status;
    }
    // Another directory now under the old path holds other files: never open them for this
    // ref.
    if (st.st_dev != ref->device || st.st_ino != ref->directory) {
        close(fd);
        return B_ENTRY_NOT_FOUND;
    }
    *directoryFd = fd;
    return B_OK;
}

status_t open_entry_ref(const entry_ref *ref, int flags, uint32 acceptedKinds, int *fd) {
    if (ref == nullptr || !is_leaf_name(ref->name) || fd == nullptr)
        return B_BAD_VALUE;
    int directoryFd;
    status_t status = open_ref_directory(ref, &directoryFd);
    if (status != B_OK)
        return status;
    status = open_node_at(directoryFd, ref->name, flags, acceptedKinds, fd);
    close(directoryFd);
    return status;
}

status_t stat_entry_ref(const entry_ref *ref, struct stat *st, bool traverse) {
    if (ref == nullptr || !is_leaf_name(ref->name) || st == nullptr)
        return B_BAD_VALUE;
    int directoryFd;
    status_t status = open_ref_directory(ref, &directoryFd);
    if (status != B_OK)
        return status;
    if (fstatat(directoryFd, ref->name, st, traverse ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        status = status_from_errno(errno);
    close(directoryFd);
    return status;
}

}  // namespace BPrivate
