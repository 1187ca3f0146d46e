// The attribute store: typed attributes kept in Linux extended attributes.
//
// Internal to the storage kit (BNode and BNodeInfo use it). The layout is that of Haiku's
// host build tools, so either side reads the other's files:
//   xattr name  "user.haiku." + attribute name, with '/' written "%\" and '%' written "%%"
//   xattr value the type code as 4 little-endian bytes, then the attribute's bytes
//
// Every host error becomes a status through status_from_errno(). Values that do not follow
// the layout (shorter than the type code) are B_BAD_DATA; a name whose xattr name would
// exceed the host's limit is B_NAME_TOO_LONG.
#ifndef BRINDLE_STORAGE_PRIVATE_ATTRIBUTE_STORE_H
#define BRINDLE_STORAGE_PRIVATE_ATTRIBUTE_STORE_H

#include <StorageDefs.h>
#include <SupportDefs.h>

namespace BPrivate {

class AttributeStore {
public:
    // `fd` is an open descriptor of the node; the store neither owns nor closes it.
    explicit AttributeStore(int fd) : fFd(fd) {}

    // Copies up to `length` bytes of the value from `offset` into `buffer` and returns the
    // count (0 when `offset` is at or past the end). The stored type is not checked against
    // anything; `info`, when given, receives the stored type and the value's full size.
    ssize_t Read(const char *name, off_t offset, void *buffer, size_t length,
                 attr_info *info = nullptr) const;

    // At offset 0 replaces the whole value; past 0 writes into the existing value (a gap
    // is zero-filled, a missing attribute counts as empty). Returns `length` on success.
    ssize_t Write(const char *name, type_code type, off_t offset, const void *buffer,
                  size_t length) const;

    status_t Remove(const char *name) const;
    status_t GetInfo(const char *name, attr_info *info) const;

    // Reads an extended attribute of another convention (e.g. "user.mime_type") as is:
    // the bytes of the value, no type code, in one host call. Returns the count or a
    // negative status; a value longer than `length` is an error, not cut.
    ssize_t ReadForeign(const char *xattrName, void *buffer, size_t length) const;

    // Host attributes by their raw xattr name, raw bytes and no type code. A read copies up
    // to `length` bytes of the value and returns the count (a longer value is cut, as a
    // typed read is); a write replaces the whole value and returns `length`.
    ssize_t ReadHost(const char *xattrName, void *buffer, size_t length) const;
    ssize_t WriteHost(const char *xattrName, const void *buffer, size_t length) const;

    // The largest value a single attribute may hold (the host's limit less the type code).
    static constexpr size_t kMaxValueLength = 65536 - 4;

private:
    int fFd;
};

}  // namespace BPrivate

#endif  // BRINDLE_STORAGE_PRIVATE_ATTRIBUTE_STORE_H
