#include "tags/safe_rewrite.h"

#include <fcntl.h>
#include <stdio.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <Errors.h>
#include <HeldTemporary.h>
#include <SystemIo.h>
#include <UniqueFd.h>

#include "tags/copy_writer.h"
#include "tags/save_check.h"

namespace {

using brindle::UniqueFd;

// The temporaries' names: hidden, and what a later save removes when nobody holds them.
const char kTemporaryPrefix[] = ".brindle-save-";

status_t last_error() {
    return status_from_errno(errno);
}

bool same_file(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool same_time(const struct timespec &a, const struct timespec &b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The same file with the same data as at `before` (a rename moves only its change time).
bool same_data(const struct stat &before, const struct stat &after) {
    return same_file(before, after) && before.st_size == after.st_size &&
           same_time(before.st_mtim, after.st_mtim);
}

// Nobody has touched the file since `before`: no write, no attribute, no new link.
bool unchanged(const struct stat &before, const struct stat &after) {
    return same_data(before, after) && same_time(before.st_ctim, after.st_ctim);
}

// The names of `fd`'s extended attributes, each ending in a NUL; none on a file system that
// keeps none.
status_t list_xattrs(int fd, std::vector<char> *names) {
    for (;;) {
        ssize_t size = flistxattr(fd, nullptr, 0);
        if (size < 0 && errno == ENOTSUP) {
            names->clear();
            return B_OK;
        }
        if (size < 0)
            return last_error();
        names->resize(static_cast<size_t>(size));
        size = flistxattr(fd, names->data(), names->size());
        if (size >= 0) {
            names->resize(static_cast<size_t>(size));
            return B_OK;
        }
        if (errno != ERANGE)  // ERANGE: the list grew in between; ask again
            return last_error();
    }
}

bool listed(const std::vector<char> &names, const char *name) {
    for (size_t at = 0; at < names.size(); at += strlen(&names[at]) + 1) {
        if (strcmp(&names[at], name) == 0)
            return true;
    }
    return false;
}

// Every extended attribute of `source` onto `target`, POSIX ACLs among them, and no ACL the
// folder's default gave `target` that `source` lacks: a private file stays private. (A
// normal user's listing holds no trusted.* attribute, so those cannot be carried.)
status_t copy_xattrs(int source, int target) {
    std::vector<char> names;
    status_t status = list_xattrs(source, &names);
    if (status != B_OK)
        return status;
    for (const char *inherited : {"system.posix_acl_access", "system.posix_acl_default"}) {
        if (!listed(names, inherited) && fremovexattr(target, inherited) != 0 && errno != ENODATA &&
            errno != ENOTSUP) {
            return last_error();
        }
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
            return errno == EPERM || errno == EACCES ? REWRITE_ATTRIBUTE_NOT_KEPT : last_error();
    }
    return B_OK;
}

// The inode flags a file's owner may set (chattr's d, A, S, c, s, u, t, j, C); the file
// system's own (extents, inline data) stay as the new file has them.
constexpr int kCarriedFlags = FS_NODUMP_FL | FS_NOATIME_FL | FS_SYNC_FL | FS_COMPR_FL |
                              FS_NOCOMP_FL | FS_SECRM_FL | FS_UNRM_FL | FS_NOTAIL_FL |
                              FS_JOURNAL_DATA_FL | FS_NOCOW_FL;

// Only the data written after it is compressed, or kept from copy-on-write; a file written
// synchronously would make the copy crawl: those go before the data, S after it.
constexpr int kFlagsBeforeData = kCarriedFlags & ~FS_SYNC_FL;

// `source`'s flags among `carried` onto `target`.
status_t copy_flags(int source, int target, int carried) {
    int from = 0, to = 0;
    if (ioctl(source, FS_IOC_GETFLAGS, &from) != 0)
        return errno == ENOTTY || errno == ENOTSUP || errno == EINVAL ? B_OK : last_error();
    if ((from & carried) == 0)
        return B_OK;
    if (ioctl(target, FS_IOC_GETFLAGS, &to) != 0)
        return REWRITE_FLAGS_NOT_KEPT;
    int wanted = (to & ~carried) | (from & carried);
    if (wanted != to && ioctl(target, FS_IOC_SETFLAGS, &wanted) != 0)
        return REWRITE_FLAGS_NOT_KEPT;
    return B_OK;
}

// Before the mode: changing the owner clears the set-id bits the mode then gives back.
status_t copy_owner(const struct stat &source, int target) {
    struct stat made;
    if (fstat(target, &made) != 0)
        return last_error();
    if ((made.st_uid != source.st_uid || made.st_gid != source.st_gid) &&
        fchown(target, source.st_uid, source.st_gid) != 0) {
        return last_error();
    }
    return B_OK;
}

// Everything the old file had but its data: owner, attributes and ACL, flags, then the mode
// (last, so an ACL's mask cannot change it).
status_t copy_metadata(int source, const struct stat &before, int target) {
    status_t status = copy_owner(before, target);
    if (status == B_OK)
        status = copy_xattrs(source, target);
    if (status == B_OK)
        status = copy_flags(source, target, kCarriedFlags);
    if (status == B_OK && fchmod(target, before.st_mode & 07777) != 0)
        status = last_error();
    return status;
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
    UniqueFd source;
    UniqueFd directory;
    std::string directoryPath;
    std::string name;
    struct stat before;
};

// Opens the site of `file`: a regular file with no other hard links, still under its name.
status_t open_site(BFile &file, rewrite_site *site) {
    int dup = file.Dup();
    if (dup < 0)
        return dup;
    site->source = UniqueFd(dup);
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
        UniqueFd(open(site->directoryPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (site->directory.Get() < 0)
        return last_error();
    struct stat named;
    if (fstatat(site->directory.Get(), site->name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !same_file(site->before, named)) {
        return REWRITE_FILE_CHANGED;
    }
    return B_OK;
}

// Whether the site's name still leads to the file that was copied, untouched and with no
// other name: B_OK, REWRITE_HARD_LINKED or REWRITE_FILE_CHANGED.
status_t check_named(const rewrite_site &site, const struct stat &named) {
    if (!same_data(site.before, named))
        return REWRITE_FILE_CHANGED;
    return named.st_nlink > 1 ? REWRITE_HARD_LINKED : B_OK;
}

status_t rename_failure() {
    return errno == EPERM ? REWRITE_FOLDER_LOCKED : last_error();
}

// The file another program's file was last kept aside as, on this thread.
thread_local std::string tKeptName;

// Puts the finished file `target` under the site's name. The two are swapped in one step,
// then what came out is checked to be the untouched file that was copied; if it is not (a
// hard link or another program's save came in between), they are swapped back. On a file
// system without swaps, a last look and a plain rename. When a swap back fails, the other
// file is moved to a name of its own rather than lost.
status_t swap_in(const rewrite_site &site, brindle::HeldTemporary &target) {
    const int directory = site.directory.Get();
    const char *name = site.name.c_str();
    struct stat now;
    if (fstat(site.source.Get(), &now) != 0)
        return last_error();
    if (!unchanged(site.before, now))
        return REWRITE_FILE_CHANGED;
    if (fstatat(directory, name, &now, AT_SYMLINK_NOFOLLOW) != 0)
        return REWRITE_FILE_CHANGED;
    status_t status = check_named(site, now);
    if (status != B_OK)
        return status;

    if (target.Exchange(name) != 0) {
        if (errno != EINVAL && errno != ENOSYS)
            return rename_failure();
        return target.Commit(name) == 0 ? B_OK : rename_failure();
    }
    struct stat swapped;
    status = fstatat(directory, target.Name().c_str(), &swapped, AT_SYMLINK_NOFOLLOW) == 0
                 ? check_named(site, swapped)
                 : REWRITE_FILE_CHANGED;
    if (status != B_OK) {
        if (target.Exchange(name) != 0 && target.KeepAside(name, &tKeptName) == 0)
            return REWRITE_KEPT_ASIDE;
        return status;
    }
    // The old file, now under the temporary name; then the swap reaches the disk.
    target.Discard();
    target.SyncFolder();
    return B_OK;
}

// What a tag may grow by when a library writes it through the copy's path: TagLib adds at
// most a few KiB of padding to what it writes, and never says when a write failed.
constexpr off_t kGrowthRoom = 256 * 1024;

// Sets aside room for the copy to grow past `length` before anything is written, so that a
// full disk is seen here rather than lost inside a library's unchecked writes. A file system
// that cannot set room aside goes without.
status_t reserve_growth(int target, off_t length) {
    if (fallocate(target, FALLOC_FL_KEEP_SIZE, length, kGrowthRoom) == 0)
        return B_OK;
    return errno == ENOSPC || errno == EDQUOT || errno == EFBIG ? last_error() : B_OK;
}

// Gives back the room reserve_growth() set aside and the copy did not take (a truncation to
// its own length frees the blocks past its end).
status_t release_growth(int target) {
    struct stat made;
    if (fstat(target, &made) != 0 || ftruncate(target, made.st_size) != 0)
        return last_error();
    return B_OK;
}

// Appends the copy's content through the writer; the copy can also be opened by its path.
using build_function = std::function<status_t(copy_writer &writer, const char *path, int target)>;
// Reads the flushed copy back before it may replace the old file.
using check_function = std::function<status_t(const copy_writer &writer, int target)>;

// Writes a new file beside the site's one with `build`, gives it the old file's metadata,
// flushes it, checks it and swaps it in. With `reserve`, room to grow is set aside first.
// Abandoned temporaries of earlier saves in the folder are removed; none of this one is left
// (but for a failed swap back, which keeps the other file under a name of its own).
status_t replace_file(rewrite_site &site, bool reserve, const build_function &build,
                      const check_function &check, node_ref *replacement) {
    brindle::HeldTemporary::RemoveAbandoned(site.directory.Get(), kTemporaryPrefix);
    brindle::HeldTemporary target;
    if (target.Create(site.directory.Get(), kTemporaryPrefix) != 0)
        return errno == EPERM ? REWRITE_FOLDER_LOCKED : last_error();
    const std::string path = target.Path();

    status_t status = copy_flags(site.source.Get(), target.Fd(), kFlagsBeforeData);
    if (status == B_OK && reserve)
        status = reserve_growth(target.Fd(), site.before.st_size);
    copy_writer writer(site.source.Get(), target.Fd());
    if (status == B_OK)
        status = build(writer, path.c_str(), target.Fd());
    if (status == B_OK)
        status = writer.Status();
    if (status == B_OK && reserve)
        status = release_growth(target.Fd());
    struct stat after;
    if (status == B_OK && fstat(site.source.Get(), &after) != 0)
        status = last_error();
    if (status == B_OK && !unchanged(site.before, after))
        status = REWRITE_FILE_CHANGED;
    if (status == B_OK)
        status = copy_metadata(site.source.Get(), site.before, target.Fd());
    struct stat made;
    if (status == B_OK && fstat(target.Fd(), &made) != 0)
        status = last_error();
    // Flushed first, so what is read back is what reached the disk's cache without error.
    if (status == B_OK && target.Flush() != 0)
        status = last_error();
    if (status == B_OK)
        status = check(writer, target.Fd());
    if (status == B_OK)
        status = swap_in(site, target);
    if (status != B_OK)
        return status;
    if (replacement != nullptr)
        *replacement = node_ref(made.st_dev, made.st_ino);
    return B_OK;
}

// The check that needs no knowledge of the format: the copy has the writer's length, every
// written piece reads back as written, and the original's [from, end) went verbatim to `at`.
status_t check_pieces(const copy_writer &writer, off_t from, off_t end, off_t at) {
    status_t status = writer.VerifyWritten(CHECK_FIELD_WRONG);
    if (status == B_OK && !writer.CopiedVerbatim(from, end - from, at))
        status = CHECK_OTHER_DATA_CHANGED;
    return status;
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
    const off_t end = site.before.st_size;
    if (oldLength < 0 || oldLength > end)
        return B_BAD_VALUE;
    return replace_file(
        site, false,
        [&](copy_writer &writer, const char *, int) {
            writer.Write(head, length);
            return writer.Copy(oldLength, end - oldLength);
        },
        [&](const copy_writer &writer, int) {
            return check_pieces(writer, oldLength, end, static_cast<off_t>(length));
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
    const off_t end = site.before.st_size;
    return replace_file(
        site, true,
        [&](copy_writer &writer, const char *path, int target) {
            // The copy is whole before the edit sees it; what the edit then does is its own.
            status_t copied = writer.Copy(0, end);
            struct stat made;
            if (copied == B_OK && (fstat(target, &made) != 0 || made.st_size != end))
                copied = CHECK_LENGTH_WRONG;
            if (copied == B_OK && !writer.CopiedVerbatim(0, end, 0))
                copied = CHECK_OTHER_DATA_CHANGED;
            return copied == B_OK ? edit(path, target) : copied;
        },
        [](const copy_writer &, int) { return B_OK; }, replacement);
}

status_t rewrite_file_checked(BFile &file, const copy_builder &build, const copy_checker &check,
                              node_ref *replacement) {
    if (!build || !check)
        return B_BAD_VALUE;
    rewrite_site site;
    status_t status = open_site(file, &site);
    if (status != B_OK)
        return status;
    return replace_file(
        site, true, build,
        [&](const copy_writer &writer, int target) {
            return check(site.source.Get(), target, writer);
        },
        replacement);
}

const char *rewrite_kept_name() {
    return tKeptName.c_str();
}
