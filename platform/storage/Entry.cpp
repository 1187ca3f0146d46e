#include <Entry.h>

#include <Errors.h>
#include <StorageSupport.h>

#include <fcntl.h>
#include <linux/limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FreeDeleter {
    void operator()(char *p) const { std::free(p); }
};
using MallocedString = std::unique_ptr<char, FreeDeleter>;

// Closes a descriptor when it goes out of scope.
class ScopedFd {
public:
    ScopedFd() = default;
    ~ScopedFd() {
        if (fFd >= 0)
            close(fFd);
    }
    ScopedFd(const ScopedFd &) = delete;
    ScopedFd &operator=(const ScopedFd &) = delete;

    int *Target() { return &fFd; }
    int Get() const { return fFd; }

private:
    int fFd = -1;
};

bool is_dot_name(const char *leaf) {
    return std::strcmp(leaf, ".") == 0 || std::strcmp(leaf, "..") == 0;
}

// Splits an absolute path into its directory part and leaf, ignoring trailing slashes.
// The root itself splits into "/" and ".".
void split_path(const BString &path, BString *directory, BString *leaf) {
    int32 end = path.Length();
    while (end > 1 && path.String()[end - 1] == '/')
        --end;
    if (end == 1) {
        directory->SetTo("/");
        leaf->SetTo(".");
        return;
    }
    int32 slash = end - 1;
    while (slash > 0 && path.String()[slash] != '/')
        --slash;
    leaf->SetTo(path.String() + slash + 1, end - slash - 1);
    directory->SetTo(slash == 0 ? "/" : path.String(), slash == 0 ? 1 : slash);
}

status_t make_absolute(BString *path) {
    if (path->String()[0] == '/')
        return B_OK;
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof(cwd)) == nullptr)
        return status_from_errno(errno);
    BString absolute(cwd);
    if (absolute.Length() > 1)
        absolute += '/';
    absolute += *path;
    *path = std::move(absolute);
    return B_OK;
}

status_t resolve(const char *path, BString *resolved) {
    MallocedString real(realpath(path, nullptr));
    if (!real)
        return status_from_errno(errno);
    resolved->SetTo(real.get());
    return B_OK;
}

}  // namespace

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

    // The ref must still name the directory it was made for.
    int directoryFd;
    status_t status = BPrivate::open_ref_directory(ref, &directoryFd);
    if (status != B_OK)
        return fStatus = status;
    close(directoryFd);

    if (traverse)
        return fStatus = _SetTo(ref->Path(), true);
    fRef = *ref;
    return fStatus = B_OK;
}

status_t BEntry::SetTo(const char *path, bool traverse) {
    Unset();
    if (path == nullptr)
        return fStatus = B_BAD_VALUE;
    if (path[0] == '\0')
        return fStatus = B_ENTRY_NOT_FOUND;
    return fStatus = _SetTo(BString(path), traverse);
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
    return B_OK;
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

status_t BEntry::_SetTo(BString path, bool traverse) {
    for (int links = 0;; ++links) {
        status_t status = make_absolute(&path);
        if (status != B_OK)
            return status;

        BString directoryPath;
        BString leaf;
        split_path(path, &directoryPath, &leaf);
        // "." and ".." name the directory itself or its parent: resolve them, so the ref
        // holds the real name in the real parent (and compares equal with other refs).
        if (is_dot_name(leaf.String())) {
            BString resolved;
            status = resolve(path.String(), &resolved);
            if (status != B_OK)
                return status;
            split_path(resolved, &directoryPath, &leaf);
        }
        if (leaf.Length() > NAME_MAX)
            return B_NAME_TOO_LONG;

        // The canonical directory path, then its identity as opened through that path.
        BString canonicalDirectory;
        status = resolve(directoryPath.String(), &canonicalDirectory);
        if (status != B_OK)
            return status;
        ScopedFd directory;
        *directory.Target() = open(canonicalDirectory.String(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (directory.Get() < 0)
            return status_from_errno(errno);
        struct stat st;
        if (fstat(directory.Get(), &st) != 0)
            return status_from_errno(errno);

        struct stat leafStat;
        if (traverse && std::strcmp(leaf.String(), ".") != 0 &&
            fstatat(directory.Get(), leaf.String(), &leafStat, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(leafStat.st_mode)) {
            if (links >= B_MAX_SYMLINKS)
                return B_LINK_LIMIT;
            char target[PATH_MAX];
            ssize_t length = readlinkat(directory.Get(), leaf.String(), target, sizeof(target));
            if (length < 0)
                return status_from_errno(errno);
            if (static_cast<size_t>(length) >= sizeof(target))
                return B_NAME_TOO_LONG;
            if (length == 0)
                return B_ENTRY_NOT_FOUND;
            target[length] = '\0';
            if (target[0] == '/') {
                path.SetTo(target);
            } else {
                path = canonicalDirectory;
                if (path.Length() > 1)
                    path += '/';
                path += target;
            }
            continue;
        }

        fRef.device = st.st_dev;
        fRef.directory = st.st_ino;
        if (fRef.set_name(leaf.String()) != B_OK)
            return B_NO_MEMORY;
        fRef.fDirectoryPath = std::move(canonicalDirectory);
        return B_OK;
    }
}
