#include <HeldTemporary.h>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <ReplacementFile.h>
#include <SystemIo.h>

namespace brindle {

namespace {

// Where the file system takes no unnamed files: the call is refused in one of these ways.
bool unnamed_refused(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOENT ||
           error == ENOSYS;
}

bool same_inode(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether `name` in `folder` is the file open on `fd`.
bool names(int folder, const std::string &name, int fd) {
    struct stat named, open;
    return fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           fstat(fd, &open) == 0 && same_inode(named, open);
}

// Keeps errno across a clean-up step.
template <typename Step>
void keeping_errno(Step step) {
    const int saved = errno;
    step();
    errno = saved;
}

}  // namespace

HeldTemporary::~HeldTemporary() {
    Discard();
}

int HeldTemporary::Create(int folder, const char *prefix) {
    Discard();
    fFolder = folder;
    fPrefix = prefix;
    int fd =
        retry_on_eintr([&] { return openat(folder, ".", O_RDWR | O_TMPFILE | O_CLOEXEC, 0600); });
    if (fd >= 0) {
        fFile.Reset(fd);
        // Nobody else can reach an unnamed file yet: the lock is taken at once.
        return retry_on_eintr([&] { return flock(fd, LOCK_EX | LOCK_NB); }) == 0 || errno == ENOLCK
                   ? 0
                   : -1;
    }
    if (!unnamed_refused(errno))
        return -1;
    return with_random_name(prefix, [&](const std::string &name) {
        UniqueFd made(retry_on_eintr([&] {
            return openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0600);
        }));
        if (!made.IsOpen())
            return -1;
        const bool locked =
            retry_on_eintr([&] { return flock(made.Get(), LOCK_EX | LOCK_NB); }) == 0;
        if (!locked && errno != ENOLCK && errno != EWOULDBLOCK)
            return -1;
        // Another save's clean-up may have taken it for abandoned between the open and the
        // lock: then the name is gone (or leads elsewhere), and another one is tried.
        if (!locked || !names(folder, name, made.Get())) {
            errno = EEXIST;
            return -1;
        }
        fFile = std::move(made);
        fName = name;
        return 0;
    });
}

std::string HeldTemporary::Path() const {
    return "/proc/self/fd/" + std::to_string(fFile.Get());
}

int HeldTemporary::Flush() {
    return retry_on_eintr([&] { return fsync(fFile.Get()); });
}

int HeldTemporary::_GiveName() {
    if (!fName.empty())
        return 0;
    const std::string path = Path();
    return with_random_name(fPrefix, [&](const std::string &name) {
        // Through /proc, which needs no privilege, unlike AT_EMPTY_PATH.
        if (linkat(AT_FDCWD, path.c_str(), fFolder, name.c_str(), AT_SYMLINK_FOLLOW) != 0)
            return -1;
        fName = name;
        return 0;
    });
}

int HeldTemporary::Exchange(const char *name) {
    if (_GiveName() != 0)
        return -1;
    return renameat2(fFolder, fName.c_str(), fFolder, name, RENAME_EXCHANGE);
}

int HeldTemporary::Commit(const char *name) {
    if (_GiveName() != 0)
        return -1;
    if (renameat(fFolder, fName.c_str(), fFolder, name) != 0)
        return -1;
    fName.clear();
    SyncFolder();
    return 0;
}

void HeldTemporary::Discard() {
    keeping_errno([&] {
        // The name goes first, while the lock still says the temporary is in use.
        if (!fName.empty())
            unlinkat(fFolder, fName.c_str(), 0);
        fName.clear();
        fFile.Close();
    });
}

int HeldTemporary::KeepAside(const char *fileName, std::string *kept) {
    return with_random_name(std::string(fileName) + ".brindle-kept-", [&](const std::string &name) {
        if (renameat2(fFolder, fName.c_str(), fFolder, name.c_str(), RENAME_NOREPLACE) != 0)
            return -1;
        fName.clear();
        *kept = name;
        SyncFolder();
        return 0;
    });
}

void HeldTemporary::SyncFolder() const {
    fsync(fFolder);
}

int HeldTemporary::RemoveAbandoned(int folder, const char *prefix) {
    const int listed = dup(folder);
    if (listed < 0)
        return 0;
    DIR *directory = fdopendir(listed);
    if (directory == nullptr) {
        close(listed);
        return 0;
    }
    rewinddir(directory);
    const size_t prefixLength = strlen(prefix);
    int removed = 0;
    while (const dirent *entry = readdir(directory)) {
        if (strncmp(entry->d_name, prefix, prefixLength) != 0)
            continue;
        UniqueFd file(retry_on_eintr([&] {
            return openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        }));
        struct stat st;
        if (!file.IsOpen() || fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        // Held: a save is writing it. Otherwise its save is gone, and it is removed while
        // this lock keeps a new save from taking the same file for its own.
        if (flock(file.Get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        if (names(folder, entry->d_name, file.Get()) && unlinkat(folder, entry->d_name, 0) == 0)
            removed++;
    }
    closedir(directory);
    return removed;
}

}  // namespace brindle
