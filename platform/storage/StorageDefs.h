// Limits, open modes and small records shared by the storage kit.
#ifndef BRINDLE_STORAGE_STORAGE_DEFS_H
#define BRINDLE_STORAGE_STORAGE_DEFS_H

#include <fcntl.h>
#include <stdio.h>  // SEEK_SET, SEEK_CUR, SEEK_END
#include <sys/types.h>

#include <SupportDefs.h>

// Limits (bytes, including the terminating NUL).
#define B_FILE_NAME_LENGTH 256
#define B_PATH_NAME_LENGTH 1024
#define B_ATTR_NAME_LENGTH (B_FILE_NAME_LENGTH - 1)
#define B_MIME_TYPE_LENGTH (B_ATTR_NAME_LENGTH - 15)
#define B_MAX_SYMLINKS 16

// Open modes: the host's own flags, so they combine with | as they always have.
#define B_READ_ONLY O_RDONLY
#define B_WRITE_ONLY O_WRONLY
#define B_READ_WRITE O_RDWR

#define B_FAIL_IF_EXISTS O_EXCL
#define B_CREATE_FILE O_CREAT
#define B_ERASE_FILE O_TRUNC
#define B_OPEN_AT_END O_APPEND

// A node: a file system object independent of the names it is reached by.
struct node_ref {
    node_ref() = default;
    node_ref(dev_t device, ino_t node) : device(device), node(node) {}

    bool operator==(const node_ref &ref) const { return device == ref.device && node == ref.node; }
    bool operator!=(const node_ref &ref) const { return !(*this == ref); }
    bool operator<(const node_ref &ref) const {
        return device != ref.device ? device < ref.device : node < ref.node;
    }

    dev_t device = static_cast<dev_t>(-1);
    ino_t node = static_cast<ino_t>(-1);
};

// What GetAttrInfo reports about one attribute: its type code and the size of its value.
struct attr_info {
    uint32 type;
    off_t size;
};

#endif  // BRINDLE_STORAGE_STORAGE_DEFS_H
