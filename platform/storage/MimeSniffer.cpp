#include <MimeSniffer.h>

#include <Errors.h>
#include <StorageDefs.h>

#include <magic.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

namespace BPrivate {

namespace {

// What libmagic calls MPEG audio, and what this platform calls it.
const char kMagicMpegType[] = "audio/mpeg";
const char kMpegType[] = "audio/x-mpeg";

class MagicDatabase {
public:
    // Runs libmagic on `content` and copies its answer into `type` (B_MIME_TYPE_LENGTH).
    status_t Identify(const char *content, size_t length, char *type) {
        std::lock_guard<std::mutex> lock(fLock);
        if (!fLoadAttempted) {
            fLoadAttempted = true;
            fCookie = magic_open(MAGIC_MIME_TYPE);
            if (fCookie != nullptr && magic_load(fCookie, nullptr) != 0) {
                magic_close(fCookie);
                fCookie = nullptr;
            }
        }
        if (fCookie == nullptr)
            return B_UNSUPPORTED;

        const char *result = magic_buffer(fCookie, content, length);
        if (result == nullptr || result[0] == '\0')
            return B_ERROR;
        if (std::strcmp(result, kMagicMpegType) == 0)
            result = kMpegType;
        // The answer points into the cookie: copy it while the lock is held.
        const size_t size = std::strlen(result) + 1;
        if (size > B_MIME_TYPE_LENGTH)
            return B_BAD_DATA;
        std::memcpy(type, result, size);
        return B_OK;
    }

private:
    std::mutex fLock;
    bool fLoadAttempted = false;  // guarded by fLock
    magic_t fCookie = nullptr;    // guarded by fLock; lives as long as the process
};

MagicDatabase &magic_database() {
    static MagicDatabase database;
    return database;
}

}  // namespace

status_t MimeSniffer::Sniff(int fd, char *type) {
    if (fd < 0 || type == nullptr)
        return B_BAD_VALUE;
    std::unique_ptr<char[]> content(new (std::nothrow) char[kSniffLength]);
    if (!content)
        return B_NO_MEMORY;

    size_t length = 0;
    while (length < kSniffLength) {
        ssize_t count =
            pread(fd, content.get() + length, kSniffLength - length, static_cast<off_t>(length));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return status_from_errno(errno);
        if (count == 0)
            break;
        length += static_cast<size_t>(count);
    }
    return magic_database().Identify(content.get(), length, type);
}

}  // namespace BPrivate
