#include "tags/header_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <Errors.h>
#include <SystemIo.h>

namespace {

constexpr size_t kLargestWindow = 64 * 1024;

}  // namespace

ssize_t header_reader::_ReadAt(off_t offset, void *buffer, size_t length) {
    if (fFile != nullptr)
        return fFile->ReadAt(offset, buffer, length);
    ssize_t count = brindle::read_all_at(fFd, buffer, length, offset);
    return count < 0 ? status_from_errno(errno) : count;
}

ssize_t header_reader::Read(off_t offset, void *out, size_t length) {
    const off_t end = offset + static_cast<off_t>(length);
    if (offset < fStart || end > fStart + static_cast<off_t>(fHeld)) {
        const size_t window = std::max(length, fNextWindow);
        fNextWindow = std::min(fNextWindow * 2, kLargestWindow);
        fBuffer.resize(window);
        ssize_t count = _ReadAt(offset, fBuffer.data(), window);
        if (count < 0)
            return count;
        fStart = offset;
        fHeld = static_cast<size_t>(count);
    }
    const size_t available = static_cast<size_t>(fStart + static_cast<off_t>(fHeld) - offset);
    const size_t count = std::min(length, available);
    memcpy(out, fBuffer.data() + (offset - fStart), count);
    return static_cast<ssize_t>(count);
}
