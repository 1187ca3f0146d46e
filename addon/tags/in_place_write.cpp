#include "tags/in_place_write.h"

#include <unistd.h>

#include <cerrno>

#include <Errors.h>
#include <SystemIo.h>

#include "tags/save_check.h"

namespace {

ssize_t write_at(int fd, off_t at, const char *bytes, size_t length) {
    return brindle::retry_on_eintr([&] { return pwrite(fd, bytes, length, at); });
}

// Whether the file holds `bytes` at `at`: B_OK, CHECK_UNREADABLE or CHECK_FIELD_WRONG.
status_t read_back(int fd, off_t at, const std::string &bytes) {
    std::string back(bytes.size(), '\0');
    if (brindle::read_all_at(fd, &back[0], back.size(), at) != static_cast<ssize_t>(back.size()))
        return CHECK_UNREADABLE;
    return back == bytes ? B_OK : CHECK_FIELD_WRONG;
}

}  // namespace

status_t write_in_place(int fd, off_t start, const std::string &old, const std::string &wanted,
                        const std::function<status_t()> &check) {
    size_t first = 0;
    while (first < wanted.size() && wanted[first] == old[first])
        first++;
    if (first == wanted.size())
        return B_OK;
    size_t end = wanted.size();
    while (end > first && wanted[end - 1] == old[end - 1])
        end--;
    const size_t length = end - first;
    const off_t at = start + static_cast<off_t>(first);
    const ssize_t written = write_at(fd, at, wanted.data() + first, length);
    // Not flushed: an overwrite in place has its room already (a file system that copies on
    // write reserves it at the write), so what can still fail is the disk itself, which no
    // other write of a save (attributes, ID3 tags) waits for either; a flush cost 0.2 to 4 ms.
    status_t status = written == static_cast<ssize_t>(length) ? B_OK
                      : written < 0                           ? status_from_errno(errno)
                                                              : B_DEVICE_FULL;
    if (status == B_OK)
        status = read_back(fd, at, wanted.substr(first, length));
    if (status == B_OK && check)
        status = check();
    // A write that failed part way (a copy-on-write file system out of space), or bytes that
    // did not check out: the old ones go back.
    if (status != B_OK && written != 0) {
        write_at(fd, at, old.data() + first, length);
    }
    return status;
}
