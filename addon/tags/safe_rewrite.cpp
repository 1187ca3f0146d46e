#include "tags/safe_rewrite.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <Errors.h>

namespace {

// Closes a descriptor at the end of its scope.
class scoped_fd {
public:
    explicit scoped_fd(int fd = -1) : fFd(fd) {}
    ~scoped_fd() { Reset(); }
    scoped_fd(const scoped_fd &) = delete;
    scoped_fd &operator=(const scoped_fd &) = delete;
    scoped_fd &operator=(scoped_fd &&other) noexcept {
        if (this != &other) {
            Reset();
            fFd = other.fFd;
            other.fFd = -1;
        }
        return *this;
    }

    int Get() const { return fFd; }
    // Closes now; the close's own failure as a status (NFS reports write errors here).
    status_t Reset() {
        if (fFd < 0)
            return B_OK;
        int result = close(fFd);
        fFd = -1;
        return result == 0 ? B_OK : status_from_errno(errno);
    }

private:
    int fFd;
};

status_t last_error() {
    return status_from_errno(errno);
}

bool same_file(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Nothing but the name's owner may have touched the data since `before`.
bool unchanged(const struct stat &before, const struct stat &after) {
    return same_file(before, after) && before.st_size == after.st_size &&
           before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
           before.st_mtim.tv_nsec == after.st_mtim.tv_nsec;
}

status_t write_all(int fd, const char *data, size_t length) {
    while (length > 0) {
        ssize_t count = write(fd, data, length);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return last_error();
        if (count == 0)
            return B_IO_ERROR;
        data += count;
        length -= static_cast<size_t>(count);
    }
    return B_OK;
}

// Appends bytes `from` to `to` of `source` to `target`.
status_t copy_range(int source, off_t from, off_t to, int target) {
    std::vector<char> buffer(128 * 1024);
    while (from < to) {
        size_t want = static_cast<size_t>(std::min<off_t>(to - from, buffer.size()));
        ssize_t count = pread(source, buffer.data(), want, from);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return last_error();
        if (count == 0)
            return REWRITE_FILE_CHANGED;  // cut short by someone else
        status_t status = write_all(target, buffer.data(), static_cast<size_t>(count));
        if (status != B_OK)
            return status;
        from += count;
    }
    return B_OK;
}

// Every extended attribute of `source` onto `target` (POSIX ACLs are among them).
status_t copy_xattrs(int source, int target) {
    std::vector<char> names;
    for (;;) {
        ssize_t size = flistxattr(source, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP ? B_OK : last_error();  // a file system that keeps none
        names.resize(static_cast<size_t>(size));
        size = flistxattr(source, names.data(), names.size());
        if (size >= 0) {
            names.resize(static_cast<size_t>(size));
            break;
        }
        if (errno != ERANGE)  // ERANGE: the list grew in between; ask again
            return last_error();
    }
    std::vector<char> value;
    for (size_t at = 0; at < names.size(); at += strlen(&names[at]) + 1) {
        const char *name = &names[at];
        ssize_t size;
        for (;;) {
            size = fgetxattr(source, name, nullptr, 0);
            if (size < 0)
                return last_error();
            value.resize(static_cast<size_t>(size));
            size = fgetxattr(source, name, value.data(), value.size());
            if (size >= 0 || errno != ERANGE)
                break;
        }
        if (size < 0)
            return last_error();
        if (fsetxattr(target, name, value.data(), static_cast<size_t>(size), 0) != 0)
            return last_error();
    }
    return B_OK;
}

// Owner first: changing it clears the set-id bits the mode then gives back.
status_t copy_owner_and_mode(const struct stat &source, int target) {
    struct stat made;
    if (fstat(target, &made) != 0)
        return last_error();
    if ((made.st_uid != source.st_uid || made.st_gid != source.st_gid) &&
        fchown(target, source.st_uid, source.st_gid) != 0) {
        return last_error();
    }
    if (fchmod(target, source.st_mode & 07777) != 0)
        return last_error();
    return B_OK;
}

// Writes the new file's content through its descriptor or its path.
using fill_function = std::function<status_t(int target, const char *path)>;

// A fresh hidden file in `directory`, created exclusively so nothing existing is reused.
int create_temporary(int directory, std::string *name) {
    for (int attempt = 0; attempt < 100; attempt++) {
        unsigned char random[6];
        if (getrandom(random, sizeof(random), 0) != static_cast<ssize_t>(sizeof(random)))
            return -1;
        char candidate[32];
        snprintf(candidate, sizeof(candidate), ".brindle-save-%02x%02x%02x%02x%02x%02x", random[0],
                 random[1], random[2], random[3], random[4], random[5]);
        int fd = openat(directory, candidate, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) {
            *name = candidate;
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// Where the open file really lives: its directory and its name there.
status_t locate(int fd, std::string *directory, std::string *name) {
    char link[64];
    snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
    char path[PATH_MAX + 1];
    ssize_t length = readlink(link, path, PATH_MAX);
    if (length < 0)
        return last_error();
    std::string real(path, static_cast<size_t>(length));
    size_t slash = real.rfind('/');
    if (real.empty() || real[0] != '/' || slash == std::string::npos)
        return REWRITE_FILE_CHANGED;  // not a path: the file has no name left
    *directory = slash == 0 ? "/" : real.substr(0, slash);
    *name = real.substr(slash + 1);
    return B_OK;
}

// The file being replaced: its descriptor, where its name lives, and what it was at the start.
struct rewrite_site {
    scoped_fd source;
    scoped_fd directory;
    std::string directoryPath;
    std::string name;
    struct stat before;
};

// Opens the site of `file`: a regular file with no other hard links, still under its name.
status_t open_site(BFile &file, rewrite_site *site) {
    int dup = file.Dup();
    if (dup < 0)
        return dup;
    site->source = scoped_fd(dup);
    if (fstat(site->source.Get(), &site->before) != 0)
        return last_error();
    if (!S_ISREG(site->before.st_mode))
        return B_BAD_VALUE;
    if (site->before.st_nlink == 0)
        return REWRITE_FILE_CHANGED;  // removed since it was opened
    if (site->before.st_nlink > 1)
        return REWRITE_HARD_LINKED;

    status_t status = locate(site->source.Get(), &site->directoryPath, &site->name);
    if (status != B_OK)
        return status;
    site->directory =
        scoped_fd(open(site->directoryPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (site->directory.Get() < 0)
        return last_error();
    struct stat named;
    if (fstatat(site->directory.Get(), site->name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !same_file(site->before, named)) {
        return REWRITE_FILE_CHANGED;
    }
    return B_OK;
}

// Writes a new file beside the site's one with `fill`, gives it the old file's metadata,
// flushes it and renames it over the old one. No temporary file is left on failure.
status_t replace_file(rewrite_site &site, const fill_function &fill, node_ref *replacement) {
    const int directory = site.directory.Get();
    std::string temporary;
    scoped_fd target(create_temporary(directory, &temporary));
    if (target.Get() < 0)
        return last_error();
    const std::string temporaryPath =
        (site.directoryPath == "/" ? "" : site.directoryPath) + "/" + temporary;

    status_t status = fill(target.Get(), temporaryPath.c_str());
    struct stat after;
    if (status == B_OK && fstat(site.source.Get(), &after) != 0)
        status = last_error();
    if (status == B_OK && !unchanged(site.before, after))
        status = REWRITE_FILE_CHANGED;
    if (status == B_OK)
        status = copy_owner_and_mode(site.before, target.Get());
    if (status == B_OK)
        status = copy_xattrs(site.source.Get(), target.Get());
    if (status == B_OK && fsync(target.Get()) != 0)
        status = last_error();
    struct stat made;
    if (status == B_OK && fstat(target.Get(), &made) != 0)
        status = last_error();
    status_t closed = target.Reset();
    if (status == B_OK)
        status = closed;
    // The last look before the rename: the name must still lead to the file that was copied.
    struct stat named;
    if (status == B_OK &&
        (fstatat(directory, site.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
         !same_file(site.before, named) || named.st_nlink > 1)) {
        status = REWRITE_FILE_CHANGED;
    }
    if (status == B_OK && renameat(directory, temporary.c_str(), directory, site.name.c_str()) != 0)
        status = last_error();
    if (status != B_OK) {
        unlinkat(directory, temporary.c_str(), 0);
        return status;
    }
    // The rename itself reaches the disk with the directory.
    fsync(directory);
    if (replacement != nullptr)
        *replacement = node_ref(made.st_dev, made.st_ino);
    return B_OK;
}

}  // namespace

status_t rewrite_file_head(BFile &file, off_t oldLength, const void *head, size_t length,
                           node_ref *replacement) {
    if (head == nullptr && length > 0)
        return B_BAD_VALUE;
    rewrite_site site;
    status_t status = open_site(file, &site);
    if (status != B_OK)
        return status;
    if (oldLength < 0 || oldLength > site.before.st_size)
        return B_BAD_VALUE;
    return replace_file(
        site,
        [&](int target, const char *) {
            status_t written = write_all(target, static_cast<const char *>(head), length);
            if (written != B_OK)
                return written;
            return copy_range(site.source.Get(), oldLength, site.before.st_size, target);
        },
        replacement);
}

status_t rewrite_file_copy(BFile &file,
                           const std::function<status_t(const char *copyPath, int copyFd)> &edit,
                           node_ref *replacement) {
    if (!edit)
        return B_BAD_VALUE;
    rewrite_site site;
    status_t status = open_site(file, &site);
    if (status != B_OK)
        return status;
    return replace_file(
        site,
        [&](int target, const char *path) {
            status_t copied = copy_range(site.source.Get(), 0, site.before.st_size, target);
            return copied == B_OK ? edit(path, target) : copied;
        },
        replacement);
}
