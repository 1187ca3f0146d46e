#include <Entry.h>

#include <Errors.h>
#include <Mutex.h>
#include <StorageSupport.h>
#include <UniqueFd.h>

#include <fcntl.h>
#include <linux/limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

using BPrivate::DirectoryHandle;
using BPrivate::EntryRefAccess;

namespace {

using brindle::UniqueFd;

bool is_dot_name(const BString &leaf) {
    return leaf == "." || leaf == "..";
}

// Splits a path into its directory part and leaf, ignoring trailing slashes: "a/b" is
// "a" and "b", "b" is "." and "b", "/b" is "/" and "b". The root itself is "/" and ".".
void split_path(const BString &path, BString *directory, BString *leaf) {
    int32 end = path.Length();
    while (end > 1 && path.String()[end - 1] == '/')
        --end;
    if (end == 1 && path.String()[0] == '/') {
        directory->SetTo("/");
        leaf->SetTo(".");
        return;
    }
    int32 slash = end - 1;
    while (slash >= 0 && path.String()[slash] != '/')
        --slash;
    leaf->SetTo(path.String() + slash + 1, end - slash - 1);
    if (slash < 0)
        directory->SetTo(".");
    else
        directory->SetTo(slash == 0 ? "/" : path.String(), slash == 0 ? 1 : slash);
}

// The absolute path the kernel knows for an open descriptor; B_ENTRY_NOT_FOUND once the
// node has been removed.
status_t path_of_descriptor(int fd, BString *path) {
    struct stat st;
    if (fstat(fd, &st) != 0)
        return status_from_errno(errno);
    if (st.st_nlink == 0)
        return B_ENTRY_NOT_FOUND;
    char link[32];
    std::snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    ssize_t length = readlink(link, target, sizeof(target));
    if (length < 0)
        return status_from_errno(errno);
    if (static_cast<size_t>(length) >= sizeof(target))
        return B_NAME_TOO_LONG;
    if (length == 0 || target[0] != '/')
        return B_ENTRY_NOT_FOUND;
    path->SetTo(target, static_cast<int32>(length));
    return B_OK;
}

// The folder of the last path looked up, while some ref still holds it: going through a
// playlist asks for one file after another in the same folder, and one stat of the folder's
// path then stands for opening it again. The stat proves the held folder is still what the
// path leads to: the held descriptor keeps its inode, so its numbers cannot be reused by
// another folder meanwhile. Nothing is held here that no ref holds.
class RecentDirectory {
public:
    // The held folder `path` (from the current directory) leads to now, with its stat in
    // `st`; nullptr when it leads elsewhere or is not the last path kept.
    std::shared_ptr<const DirectoryHandle> Find(const BString &path, struct stat *st)
        EXCLUDES(fLock) {
        std::shared_ptr<const DirectoryHandle> handle;
        {
            brindle::MutexLock lock(fLock);
            if (path != fPath)
                return nullptr;
            handle = fHandle.lock();
        }
        if (handle == nullptr || stat(path.String(), st) != 0 || !S_ISDIR(st->st_mode) ||
            st->st_dev != handle->Device() || st->st_ino != handle->Inode())
            return nullptr;
        return handle;
    }

    void Keep(const BString &path, const std::shared_ptr<const DirectoryHandle> &handle)
        EXCLUDES(fLock) {
        brindle::MutexLock lock(fLock);
        fPath = path;
        fHandle = handle;
    }

private:
    brindle::Mutex fLock;
    BString fPath GUARDED_BY(fLock);
    std::weak_ptr<const DirectoryHandle> fHandle GUARDED_BY(fLock);
};

RecentDirectory &recent_directory() {
    static RecentDirectory recent;
    return recent;
}

}  // namespace

BString entry_ref::Path() const {
    const int directoryFd = EntryRefAccess::DirectoryFd(*this);
    BString path;
    if (directoryFd < 0 || name == nullptr || name[0] == '\0' ||
        path_of_descriptor(directoryFd, &path) != B_OK)
        return BString();
    if (std::strcmp(name, ".") == 0)  // the root directory's own entry
        return path;
    if (path.String()[path.Length() - 1] != '/')
        path += '/';
    path += name;
    return path;
}

BEntry::BEntry() : fStatus(B_NO_INIT) {}

BEntry::BEntry(const entry_ref *ref, bool traverse) : fStatus(B_NO_INIT) {
    SetTo(ref, traverse);
}

BEntry::BEntry(const char *path, bool traverse) : fStatus(B_NO_INIT) {
    SetTo(path, traverse);
}

BEntry::BEntry(const BEntry &entry) : fRef(entry.fRef), fStatus(entry.fStatus) {}

BEntry::~BEntry() = default;

BEntry &BEntry::operator=(const BEntry &entry) {
    fRef = entry.fRef;
    fStatus = entry.fStatus;
    return *this;
}

status_t BEntry::InitCheck() const {
    return fStatus;
}

bool BEntry::Exists() const {
    struct stat st;
    return fStatus == B_OK && BPrivate::stat_entry_ref(&fRef, &st, false) == B_OK;
}

status_t BEntry::GetStat(struct stat *st) const {
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (st == nullptr)
        return B_BAD_VALUE;
    return BPrivate::stat_entry_ref(&fRef, st, false);
}

status_t BEntry::SetTo(const entry_ref *ref, bool traverse) {
    Unset();
    if (ref == nullptr || ref->name == nullptr || ref->name[0] == '\0' ||
        std::strchr(ref->name, '/') != nullptr)
        return fStatus = B_BAD_VALUE;
    // The directory must still be there (a removed one keeps its descriptor valid).
    const int directoryFd = EntryRefAccess::DirectoryFd(*ref);
    struct stat st;
    if (directoryFd < 0 || fstat(directoryFd, &st) != 0 || st.st_nlink == 0)
        return fStatus = B_ENTRY_NOT_FOUND;
    if (traverse)
        return fStatus = _SetTo(directoryFd, ref->name, true);
    fRef = *ref;
    return fStatus = B_OK;
}

status_t BEntry::SetTo(const char *path, bool traverse) {
    Unset();
    if (path == nullptr)
        return fStatus = B_BAD_VALUE;
    if (path[0] == '\0')
        return fStatus = B_ENTRY_NOT_FOUND;
    return fStatus = _SetTo(AT_FDCWD, path, traverse);
}

void BEntry::Unset() {
    fRef = entry_ref();
    fStatus = B_NO_INIT;
}

status_t BEntry::GetRef(entry_ref *ref) const {
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (ref == nullptr)
        return B_BAD_VALUE;
    *ref = fRef;
    return ref->name != nullptr ? B_OK : B_NO_MEMORY;
}

status_t BEntry::GetPath(BString *path) const {
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (path == nullptr)
        return B_BAD_VALUE;
    *path = fRef.Path();
    return path->IsEmpty() ? static_cast<status_t>(B_ENTRY_NOT_FOUND) : B_OK;
}

status_t BEntry::GetName(char *buffer) const {
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (buffer == nullptr)
        return B_BAD_VALUE;
    if (fRef.name == nullptr)
        return B_NO_MEMORY;
    std::strcpy(buffer, fRef.name);  // leaves are at most NAME_MAX (255) bytes
    return B_OK;
}

bool BEntry::operator==(const BEntry &entry) const {
    if (fStatus != B_OK || entry.fStatus != B_OK)
        return fStatus == B_NO_INIT && entry.fStatus == B_NO_INIT;
    return fRef == entry.fRef;
}

// Walks `path` from `baseFd` (a directory, or AT_FDCWD): the kernel resolves the directory
// part in one open; only a final symbolic link being traversed, or a final "." or "..",
// take more.
status_t BEntry::_SetTo(int baseFd, const char *path, bool traverse) {
    BString current(path);
    UniqueFd linkBase;  // the directory a relative link target is taken from
    for (int links = 0;; ++links) {
        if (current.Length() >= PATH_MAX)
            return B_NAME_TOO_LONG;
        BString directoryPart;
        BString leaf;
        split_path(current, &directoryPart, &leaf);
        // "." and ".." name a directory itself: find its real parent and name, so the ref
        // holds those (and compares equal with other refs to it).
        if (is_dot_name(leaf)) {
            UniqueFd itself(openat(baseFd, current.String(), O_PATH | O_DIRECTORY | O_CLOEXEC));
            if (itself.Get() < 0)
                return status_from_errno(errno);
            status_t status = path_of_descriptor(itself.Get(), &current);
            if (status != B_OK)
                return status;
            split_path(current, &directoryPart, &leaf);  // the root stays "/" and "."
        }
        if (leaf.Length() > NAME_MAX)
            return B_NAME_TOO_LONG;

        // A folder held for an earlier path, or opened now.
        struct stat st;
        std::shared_ptr<const DirectoryHandle> handle;
        if (baseFd == AT_FDCWD)
            handle = recent_directory().Find(directoryPart, &st);
        UniqueFd directory;
        if (handle == nullptr) {
            directory.Reset(
                openat(baseFd, directoryPart.String(), O_PATH | O_DIRECTORY | O_CLOEXEC));
            if (directory.Get() < 0)
                return status_from_errno(errno);
            if (fstat(directory.Get(), &st) != 0)
                return status_from_errno(errno);
        }
        const int directoryFd = handle != nullptr ? handle->Fd() : directory.Get();

        struct stat leafStat;
        if (traverse && leaf != "." &&
            fstatat(directoryFd, leaf.String(), &leafStat, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(leafStat.st_mode)) {
            if (links >= B_MAX_SYMLINKS)
                return B_LINK_LIMIT;
            char target[PATH_MAX];
            ssize_t length = readlinkat(directoryFd, leaf.String(), target, sizeof(target));
            if (length < 0)
                return status_from_errno(errno);
            if (static_cast<size_t>(length) >= sizeof(target))
                return B_NAME_TOO_LONG;
            if (length == 0)
                return B_ENTRY_NOT_FOUND;
            current.SetTo(target, static_cast<int32>(length));
            // A relative target is taken from the link's own directory.
            linkBase.Reset(handle != nullptr ? fcntl(handle->Fd(), F_DUPFD_CLOEXEC, 0)
                                             : directory.Release());
            if (linkBase.Get() < 0)
                return status_from_errno(errno);
            baseFd = linkBase.Get();
            continue;
        }

        entry_ref ref(st.st_dev, st.st_ino, leaf.String());
        if (ref.name == nullptr)
            return B_NO_MEMORY;
        if (handle == nullptr) {
            handle = std::make_shared<const DirectoryHandle>(directory.Get(), st.st_dev, st.st_ino);
            directory.Release();
            if (baseFd == AT_FDCWD)
                recent_directory().Keep(directoryPart, handle);
        }
        EntryRefAccess::SetDirectory(&ref, std::move(handle));
        fRef = std::move(ref);
        return B_OK;
    }
}
