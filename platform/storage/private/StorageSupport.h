// Opening nodes safely: the storage kit's one way from a path or an entry_ref to a descriptor.
//
// Internal to the kit. Nothing here ever blocks on a FIFO: entries are opened non-blocking
// and without becoming a controlling terminal, then looked at through the descriptor, and
// anything but an accepted kind of node is closed again at once.
#ifndef BRINDLE_STORAGE_PRIVATE_STORAGE_SUPPORT_H
#define BRINDLE_STORAGE_PRIVATE_STORAGE_SUPPORT_H

#include <sys/stat.h>

#include <memory>

#include <Entry.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

namespace BPrivate {

// Kinds of node a caller accepts. FIFOs, sockets and devices are never accepted.
enum : uint32 {
    kRegularNodes = 0x1,
    kDirectoryNodes = 0x2,
};

// A directory held open (O_PATH) for the refs naming entries in it; closed with the last.
class DirectoryHandle {
public:
    // Takes over `fd`, a descriptor of the directory (device, inode).
    DirectoryHandle(int fd, dev_t device, ino_t inode) : fFd(fd), fDevice(device), fInode(inode) {}
    ~DirectoryHandle();
    DirectoryHandle(const DirectoryHandle &) = delete;
    DirectoryHandle &operator=(const DirectoryHandle &) = delete;

    int Fd() const { return fFd; }
    dev_t Device() const { return fDevice; }
    ino_t Inode() const { return fInode; }

private:
    int fFd;
    dev_t fDevice;
    ino_t fInode;
};

// The kit's access to what an entry_ref keeps private.
class EntryRefAccess {
public:
    // The directory's descriptor when the ref has one that still matches its public
    // (device, directory) numbers; else -1.
    static int DirectoryFd(const entry_ref &ref);
    static void SetDirectory(entry_ref *ref, std::shared_ptr<const DirectoryHandle> directory) {
        ref->fDirectory = std::move(directory);
    }
};

// Opens `name` relative to `directoryFd` (AT_FDCWD: relative to the current directory),
// following symbolic links, with the host open `flags`: one openat and one fstat, whose
// (device, inode) goes to `node` when given. The descriptor is close-on-exec and keeps
// O_NONBLOCK, which means nothing for a regular file or a directory. A directory where
// only regular files are accepted is B_IS_A_DIRECTORY; any other node of a kind not
// accepted (a FIFO, socket or device, closed again at once) is B_BAD_TYPE.
status_t open_node_at(int directoryFd, const char *name, int flags, uint32 acceptedKinds, int *fd,
                      node_ref *node = nullptr);

// open_node_at() for the entry a ref names; B_ENTRY_NOT_FOUND for a ref without a directory.
status_t open_entry_ref(const entry_ref *ref, int flags, uint32 acceptedKinds, int *fd,
                        node_ref *node = nullptr);

// The stat of the entry a ref names; `traverse` follows a final symbolic link.
status_t stat_entry_ref(const entry_ref *ref, struct stat *st, bool traverse);

}  // namespace BPrivate

#endif  // BRINDLE_STORAGE_PRIVATE_STORAGE_SUPPORT_H
