#include <MimeSniffer.h>

#include <Errors.h>
#include <StorageDefs.h>

#include <magic.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <array>
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

// Reads up to `length` bytes from `offset` without moving the descriptor's position (a
// BFile may be using it). Returns the count, short only at the end of the file.
ssize_t read_at(int fd, off_t offset, char *buffer, size_t length) {
    size_t done = 0;
    while (done < length) {
        ssize_t count = pread(fd, buffer + done, length - done, offset + static_cast<off_t>(done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return status_from_errno(errno);
        if (count == 0)
            break;
        done += static_cast<size_t>(count);
    }
    return static_cast<ssize_t>(done);
}

// Where an ID3v2 tag at the start of `content` ends (0 when there is none): a 10-byte
// header, then a size in four 7-bit bytes, then an optional 10-byte footer.
size_t id3v2_tag_end(const char *content, size_t length) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(content);
    if (length < 10 || std::memcmp(bytes, "ID3", 3) != 0 || bytes[3] == 0xff || bytes[4] == 0xff)
        return 0;
    size_t size = 0;
    for (int i = 6; i < 10; ++i) {
        if (bytes[i] & 0x80)
            return 0;
        size = (size << 7) | bytes[i];
    }
    const bool hasFooter = (bytes[5] & 0x10) != 0;
    return 10 + size + (hasFooter ? 10 : 0);
}

// The last guesses, by file identity and content version. A guess costs a few hundred
// microseconds in libmagic, and the same file is asked about again and again (a save checks
// the type of the file a load just checked). Writing the content changes its modification
// time or size, so a rewritten file is guessed again; attribute changes do not count.
class SniffCache {
public:
    bool Find(const struct stat &st, char *type) {
        std::lock_guard<std::mutex> guard(fLock);
        for (const Entry &entry : fEntries) {
            if (entry.valid && entry.Matches(st)) {
                std::memcpy(type, entry.type, B_MIME_TYPE_LENGTH);
                return true;
            }
        }
        return false;
    }

    void Store(const struct stat &st, const char *type) {
        std::lock_guard<std::mutex> guard(fLock);
        Entry &entry = fEntries[fNext];
        fNext = (fNext + 1) % fEntries.size();
        entry.valid = true;
        entry.device = st.st_dev;
        entry.node = st.st_ino;
        entry.size = st.st_size;
        entry.modified = st.st_mtim;
        std::strncpy(entry.type, type, B_MIME_TYPE_LENGTH - 1);
        entry.type[B_MIME_TYPE_LENGTH - 1] = '\0';
    }

private:
    struct Entry {
        bool valid = false;
        dev_t device = 0;
        ino_t node = 0;
        off_t size = 0;
        struct timespec modified = {};
        char type[B_MIME_TYPE_LENGTH] = {};

        bool Matches(const struct stat &st) const {
            return device == st.st_dev && node == st.st_ino && size == st.st_size &&
                   modified.tv_sec == st.st_mtim.tv_sec && modified.tv_nsec == st.st_mtim.tv_nsec;
        }
    };

    std::mutex fLock;
    std::array<Entry, 32> fEntries;
    size_t fNext = 0;
};

SniffCache &sniff_cache() {
    static SniffCache cache;
    return cache;
}

MagicDatabase &magic_database() {
    static MagicDatabase database;
    return database;
}

}  // namespace

status_t MimeSniffer::Sniff(int fd, char *type) {
    if (fd < 0 || type == nullptr)
        return B_BAD_VALUE;
    struct stat st;
    const bool known = fstat(fd, &st) == 0;
    if (known && sniff_cache().Find(st, type))
        return B_OK;
    std::unique_ptr<char[]> content(new (std::nothrow) char[kSniffLength]);
    if (!content)
        return B_NO_MEMORY;
    ssize_t length = read_at(fd, 0, content.get(), kSniffLength);
    if (length < 0)
        return static_cast<status_t>(length);

    size_t wanted = id3v2_tag_end(content.get(), static_cast<size_t>(length)) + kSniffLength;
    if (wanted > kMaxSniffLength)
        wanted = kMaxSniffLength;
    if (static_cast<size_t>(length) == kSniffLength && wanted > kSniffLength) {
        std::unique_ptr<char[]> larger(new (std::nothrow) char[wanted]);
        if (!larger)
            return B_NO_MEMORY;
        std::memcpy(larger.get(), content.get(), kSniffLength);
        ssize_t more =
            read_at(fd, kSniffLength, larger.get() + kSniffLength, wanted - kSniffLength);
        if (more < 0)
            return static_cast<status_t>(more);
        content = std::move(larger);
        length += more;
    }
    status_t status = magic_database().Identify(content.get(), static_cast<size_t>(length), type);
    if (status == B_OK && known)
        sniff_cache().Store(st, type);
    return status;
}

}  // namespace BPrivate
