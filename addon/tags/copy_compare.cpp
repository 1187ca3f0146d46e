#include "tags/copy_compare.h"

#include <sys/stat.h>

#include <algorithm>

#include <SystemIo.h>

#include "tags/copy_writer.h"
#include "tags/save_check.h"

namespace {

constexpr off_t kCompareChunk = 256 * 1024;

}  // namespace

bool copy_holds(int sourceFd, int copyFd, const copy_writer &writer, off_t from, off_t length,
                off_t at) {
    if (writer.CopiedVerbatim(from, length, at))
        return true;
    std::string before, after;
    for (off_t done = 0; done < length; done += kCompareChunk) {
        const size_t step = static_cast<size_t>(std::min(kCompareChunk, length - done));
        if (!read_exactly_at(sourceFd, from + done, step, &before) ||
            !read_exactly_at(copyFd, at + done, step, &after) || before != after)
            return false;
    }
    return true;
}

status_t check_copy_length(int copyFd, const copy_writer &writer) {
    struct stat made;
    if (fstat(copyFd, &made) != 0)
        return CHECK_UNREADABLE;
    return made.st_size == writer.Length() ? B_OK : CHECK_LENGTH_WRONG;
}

status_t check_copy_end(int sourceFd, int copyFd, const copy_writer &writer, off_t from,
                        off_t sourceSize, off_t at, off_t copySize) {
    const off_t length = sourceSize - from;
    if (copySize - at != length || !copy_holds(sourceFd, copyFd, writer, from, length, at))
        return CHECK_AUDIO_CHANGED;
    return writer.VerifyWritten(CHECK_OTHER_DATA_CHANGED);
}
