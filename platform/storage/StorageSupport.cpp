#include <StorageSupport.h>

#include <Entry.h>
#include <Errors.h>
#include <SystemIo.h>

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

DirectoryHandle::~DirectoryHandle() {
    close(fFd);
}

int EntryRefAccess::DirectoryFd(const entry_ref &ref) {
    const DirectoryHandle *directory = ref.fDirectory.get();
    // Numbers changed by hand no longer describe the directory held: open nothing for them.
    if (directory == nullptr || directory->Device() != ref.device ||
        directory->Inode() != ref.directory)
        return -1;
    return directory->Fd();
}

status_t open_node_at(int directoryFd, const char *name, int flags, uint32 acceptedKinds, int *fd,
                      node_ref *node) {
    if (name == nullptr || name[0] == '\0' || fd == nullptr)
        return B_BAD_VALUE;
    *fd = -1;

    // Non-blocking, so a FIFO cannot hold the open (nor a device waiting for a carrier);
    // the kind is checked through the descriptor, which no later swap of the entry changes.
    const int newFd = brindle::retry_on_eintr(
        [&] { return openat(directoryFd, name, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666); });
    if (newFd < 0) {
        // A socket, a FIFO without a reader opened for writing, a device without a driver.
        if (errno == ENXIO || errno == ENODEV)
            return B_BAD_TYPE;
        return status_from_errno(errno);
    }
    struct stat st;
    status_t status =
        fstat(newFd, &st) == 0 ? check_kind(st.st_mode, acceptedKinds) : status_from_errno(errno);
    if (status != B_OK) {
        close(newFd);
        return status;
    }
    *fd = newFd;
    if (node != nullptr)
        *node = node_ref(st.st_dev, st.st_ino);
    return B_OK;
}

status_t open_entry_ref(const entry_ref *ref, int flags, uint32 acceptedKinds, int *fd,
                        node_ref *node) {
    if (ref == nullptr || !is_leaf_name(ref->name) || fd == nullptr)
        return B_BAD_VALUE;
    const int directoryFd = EntryRefAccess::DirectoryFd(*ref);
    if (directoryFd < 0)
        return B_ENTRY_NOT_FOUND;
    return open_node_at(directoryFd, ref->name, flags, acceptedKinds, fd, node);
}

status_t stat_entry_ref(const entry_ref *ref, struct stat *st, bool traverse) {
    if (ref == nullptr || !is_leaf_name(ref->name) || st == nullptr)
        return B_BAD_VALUE;
    const int directoryFd = EntryRefAccess::DirectoryFd(*ref);
    if (directoryFd < 0)
        return B_ENTRY_NOT_FOUND;
    if (fstatat(directoryFd, ref->name, st, traverse ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        return status_from_errno(errno);
    return B_OK;
}

}  // namespace BPrivate
