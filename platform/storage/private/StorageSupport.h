// Opening nodes safely: the storage kit's one way from a path or an entry_ref to a descriptor.
//
// Internal to the kit. Nothing here ever blocks on a FIFO or opens a device, socket or
// FIFO: the entry is looked at first, opened non-blocking, and looked at again through the
// descriptor (the entry may have been swapped in between).
#ifndef BRINDLE_STORAGE_PRIVATE_STORAGE_SUPPORT_H
#define BRINDLE_STORAGE_PRIVATE_STORAGE_SUPPORT_H

#include <sys/stat.h>

#include <SupportDefs.h>

struct entry_ref;

namespace BPrivate {

// Kinds of node a caller accepts. FIFOs, sockets and devices are never accepted.
enum : uint32 {
    kRegularNodes = 0x1,
    kDirectoryNodes = 0x2,
};

// Opens `name` relative to `directoryFd` (AT_FDCWD: relative to the current directory),
// following symbolic links, with the host open `flags`. The descriptor is close-on-exec and
// blocking. A directory where only regular files are accepted is B_IS_A_DIRECTORY; any other
// node of a kind not accepted is B_BAD_TYPE.
status_t open_node_at(int directoryFd, const char *name, int flags, uint32 acceptedKinds, int *fd);

// Opens the directory a ref names (O_PATH) after checking that its remembered path still
// leads to the same (device, inode); B_ENTRY_NOT_FOUND when it does not.
status_t open_ref_directory(const entry_ref *ref, int *directoryFd);

// open_node_at() for the entry a ref names.
status_t open_entry_ref(const entry_ref *ref, int flags, uint32 acceptedKinds, int *fd);

// The stat of the entry a ref names; `traverse` follows a final symbolic link.
status_t stat_entry_ref(const entry_ref *ref, struct stat *st, bool traverse);

}  // namespace BPrivate

#endif  // BRINDLE_STORAGE_PRIVATE_STORAGE_SUPPORT_H
