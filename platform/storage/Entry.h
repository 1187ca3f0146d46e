// entry_ref and BEntry: a file system location, as a name in a directory.
#ifndef BRINDLE_STORAGE_ENTRY_H
#define BRINDLE_STORAGE_ENTRY_H

#include <sys/stat.h>
#include <sys/types.h>

#include <memory>

#include <StorageDefs.h>
#include <String.h>
#include <SupportDefs.h>

class BEntry;

namespace BPrivate {
class DirectoryHandle;
class EntryRefAccess;
}  // namespace BPrivate

// A name in a directory: (device, directory inode, leaf name). Two refs are the same entry
// when all three match. The name may not exist yet (an abstract entry); the directory must.
//
// Linux cannot open a directory by its inode number, so a ref made by BEntry (or
// get_ref_for_path) also holds a descriptor of its directory (O_PATH), shared by all its
// copies. The ref opens its file through that descriptor: it keeps naming the file when the
// directory is renamed or moved, as on the original platform, and never reaches another
// directory that has since taken the old path. A ref built from numbers alone cannot be
// opened.
struct entry_ref {
    entry_ref();
    entry_ref(dev_t device, ino_t directory, const char *name);
    entry_ref(const entry_ref &ref);
    entry_ref(entry_ref &&ref) noexcept;
    ~entry_ref();

    entry_ref &operator=(const entry_ref &ref);
    entry_ref &operator=(entry_ref &&ref) noexcept;

    // Replaces the leaf name with a copy of `name` (nullptr: no name).
    status_t set_name(const char *name);

    bool operator==(const entry_ref &ref) const;
    bool operator!=(const entry_ref &ref) const { return !(*this == ref); }

    // The entry's absolute path as it is now (after any rename of its directory); "" when
    // the ref cannot be opened or its directory is gone.
    BString Path() const;

    dev_t device;
    ino_t directory;
    char *name;

private:
    friend class BPrivate::EntryRefAccess;

    std::shared_ptr<const BPrivate::DirectoryHandle> fDirectory;
};

// Orders refs by device, directory and name, for use as keys.
bool operator<(const entry_ref &a, const entry_ref &b);

// The ref of the entry `path` names (a final symbolic link is not followed).
status_t get_ref_for_path(const char *path, entry_ref *ref);

// A location in the file system. Valid whenever the directory part of the path exists,
// whether or not the leaf does; a missing directory makes InitCheck() fail, and so does a
// path of PATH_MAX bytes or more (B_NAME_TOO_LONG). Relative paths are taken from the
// current directory at SetTo() time.
class BEntry {
public:
    BEntry();
    BEntry(const entry_ref *ref, bool traverse = false);
    BEntry(const char *path, bool traverse = false);
    BEntry(const BEntry &entry);
    virtual ~BEntry();

    BEntry &operator=(const BEntry &entry);

    status_t InitCheck() const;
    // True when something (any kind of node, a dangling link included) has the entry's name.
    bool Exists() const;
    // The stat of the entry itself (a symbolic link is not followed).
    status_t GetStat(struct stat *st) const;

    // With `traverse`, a final symbolic link (and any link it leads to) is followed and
    // the entry is the one it points at.
    status_t SetTo(const entry_ref *ref, bool traverse = false);
    status_t SetTo(const char *path, bool traverse = false);
    void Unset();

    status_t GetRef(entry_ref *ref) const;
    status_t GetPath(BString *path) const;
    // Copies the leaf name into `buffer`, which holds B_FILE_NAME_LENGTH bytes.
    status_t GetName(char *buffer) const;

    bool operator==(const BEntry &entry) const;
    bool operator!=(const BEntry &entry) const { return !(*this == entry); }

private:
    status_t _SetTo(int baseFd, const char *path, bool traverse);

    entry_ref fRef;
    status_t fStatus;
};

#endif  // BRINDLE_STORAGE_ENTRY_H
