// Interim rewrite_file_copy until the one beside rewrite_file_head lands: the edit is made
// on a copy in memory (memfd), and the edited bytes replace the file through
// rewrite_file_head, with its guarantees. Holds the whole file in memory once.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include <Errors.h>

#include "tags/safe_rewrite.h"

namespace {

status_t copy_all(int from, int to, off_t size, std::string *bytes) {
    bytes->resize(static_cast<size_t>(size));
    off_t done = 0;
    while (done < size) {
        ssize_t count = pread(from, &(*bytes)[done], static_cast<size_t>(size - done), done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return count < 0 ? status_from_errno(errno) : REWRITE_FILE_CHANGED;
        done += count;
    }
    if (to >= 0 && pwrite(to, bytes->data(), bytes->size(), 0) != static_cast<ssize_t>(size))
        return B_IO_ERROR;
    return B_OK;
}

}  // namespace

status_t rewrite_file_copy(BFile &file,
                           const std::function<status_t(const char *copyPath, int copyFd)> &edit,
                           node_ref *replacement) {
    int source = file.Dup();
    if (source < 0)
        return source;
    struct stat st;
    if (fstat(source, &st) != 0) {
        close(source);
        return status_from_errno(errno);
    }
    int copy = memfd_create("brindle-copy", MFD_CLOEXEC);
    std::string bytes;
    status_t status =
        copy < 0 ? status_from_errno(errno) : copy_all(source, copy, st.st_size, &bytes);
    close(source);
    if (status == B_OK) {
        char path[64];
        snprintf(path, sizeof(path), "/proc/self/fd/%d", copy);
        status = edit(path, copy);
    }
    struct stat edited;
    if (status == B_OK && fstat(copy, &edited) != 0)
        status = status_from_errno(errno);
    if (status == B_OK)
        status = copy_all(copy, -1, edited.st_size, &bytes);
    if (copy >= 0)
        close(copy);
    if (status != B_OK)
        return status;
    return rewrite_file_head(file, st.st_size, bytes.data(), bytes.size(), replacement);
}
