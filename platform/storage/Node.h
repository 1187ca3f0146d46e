// BNode: a file system node and its attributes.
//
// A BNode holds one open descriptor of the node for its whole life, so every attribute
// call is a single host call on it. Symbolic links are followed: attributes belong to the
// file a link leads to (Linux keeps no user attributes on links themselves). A BNode opens
// regular files and directories only; a FIFO, socket or device is refused (B_BAD_TYPE):
// opened non-blocking, so nothing can block, looked at and closed again at once. The node
// a BNode holds is fixed when it is opened: GetNodeRef() answers without asking the host.
#ifndef BRINDLE_STORAGE_NODE_H
#define BRINDLE_STORAGE_NODE_H

#include <sys/stat.h>

#include <StorageDefs.h>
#include <SupportDefs.h>

class BEntry;
class BString;
struct entry_ref;

class BNode {
public:
    BNode();
    BNode(const entry_ref *ref);
    BNode(const BEntry *entry);
    BNode(const char *path);
    BNode(const BNode &node);
    virtual ~BNode();

    BNode &operator=(const BNode &node);

    status_t InitCheck() const;
    virtual status_t GetStat(struct stat *st) const;
    status_t GetNodeRef(node_ref *ref) const;

    status_t SetTo(const entry_ref *ref);
    status_t SetTo(const BEntry *entry);
    status_t SetTo(const char *path);
    void Unset();

    // Flushes the node's data and attributes to the disk.
    status_t Sync();

    // Attributes. Reads copy up to `length` bytes of the value from `offset` and return the
    // count; the `type` given to a read is not checked against the stored one. A write at
    // offset 0 replaces the value; past 0 it writes into it. Missing attribute:
    // B_ENTRY_NOT_FOUND; malformed stored value: B_BAD_DATA; no attribute support:
    // B_UNSUPPORTED; uninitialized node: B_FILE_ERROR.
    ssize_t WriteAttr(const char *name, type_code type, off_t offset, const void *buffer,
                      size_t length);
    ssize_t ReadAttr(const char *name, type_code type, off_t offset, void *buffer,
                     size_t length) const;
    // Extension of this platform: the same read, also giving the stored value's type and
    // whole size in `stored` (when the read succeeds), from the one host call.
    ssize_t ReadAttr(const char *name, type_code type, off_t offset, void *buffer, size_t length,
                     attr_info *stored) const;
    status_t RemoveAttr(const char *name);
    status_t GetAttrInfo(const char *name, attr_info *info) const;
    // A B_STRING_TYPE attribute as a string; written with its terminating NUL.
    status_t WriteAttrString(const char *name, const BString *data);
    status_t ReadAttrString(const char *name, BString *result) const;

    // Extension of this platform, not on the original one: host attributes outside the
    // kit's own "user.haiku." namespace (another desktop's "user.baloo.rating", say), by
    // their raw xattr name, as raw bytes without a type code. ReadHostAttr copies up to
    // `length` bytes of the value and returns the count (a longer value is cut);
    // WriteHostAttr replaces the whole value and returns `length`. Failures are negative:
    // B_ENTRY_NOT_FOUND for a missing attribute, B_UNSUPPORTED where the file system keeps
    // none, B_FILE_ERROR on an uninitialized node.
    ssize_t ReadHostAttr(const char *xattrName, void *buffer, size_t length) const;
    ssize_t WriteHostAttr(const char *xattrName, const void *buffer, size_t length);

    bool operator==(const BNode &node) const;
    bool operator!=(const BNode &node) const { return !(*this == node); }

    // A new descriptor of the node, owned by the caller; negative status on failure.
    int Dup();

protected:
    // Takes over `fd`, the node `node` (or records `status` when it is not B_OK) after
    // closing the current one.
    status_t _Adopt(int fd, status_t status, const node_ref &node = node_ref());

    // Whatever changes the node's attributes through this object makes it forget the type it
    // knew; a change of its bytes only a type that was sniffed from them.
    void _ForgetType() const { fTypeKnown = false; }
    void _ForgetSniffedType() const {
        if (fKnownTypeSniffed)
            fTypeKnown = false;
    }

    int fFd;
    status_t fStatus;
    node_ref fNode;

private:
    friend class BNodeInfo;

    // The last answer BNodeInfo::GetType found for this node: asking twice while the node
    // is open (whether it is MPEG audio, then whether it has a tag) reads the file's type
    // records once. A change made through another object or process meanwhile goes
    // unseen, as it would between two reads anyway.
    mutable bool fTypeKnown = false;
    mutable status_t fKnownTypeStatus = B_NO_INIT;
    mutable bool fKnownTypeSniffed = false;
    mutable char fKnownType[B_MIME_TYPE_LENGTH];
};

#endif  // BRINDLE_STORAGE_NODE_H
