#include <MimeSniffer.h>

#include <AudioFormatProbe.h>
#include <Errors.h>
#include <MagicLibrary.h>
#include <MpegAudioProbe.h>
#include <Mutex.h>
#include <StorageDefs.h>
#include <SystemIo.h>

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace BPrivate {

namespace {

// This platform's name for MPEG audio.
const char kMpegType[] = "audio/x-mpeg";

// freedesktop's name for MPEG audio and its aliases, as shared-mime-info 2.2 lists them
// (/usr/share/mime/aliases).
const char *const kFreedesktopMpegNames[] = {"audio/mpeg", "audio/mp3", "audio/x-mp3",
                                             "audio/x-mpeg", "audio/x-mpg"};

// Reads up to `length` bytes from `offset` without moving the descriptor's position (a
// BFile may be using it). Returns the count, short only at the end of the file.
ssize_t read_at(int fd, off_t offset, unsigned char *buffer, size_t length) {
    const ssize_t count = brindle::read_all_at(fd, buffer, length, offset);
    return count >= 0 ? count : status_from_errno(errno);
}

// The last guesses, by file identity and content version. A guess may cost libmagic a few
// hundred microseconds, and the same file is asked about again and again (a save checks the
// type of the file a load just checked). Writing the content changes its modification time
// or size, so a rewritten file is guessed again; attribute changes do not count.
class SniffCache {
public:
    bool Find(const struct stat &st, char *type) {
        brindle::MutexLock guard(fLock);
        for (const Entry &entry : fEntries) {
            if (entry.valid && entry.Matches(st)) {
                std::memcpy(type, entry.type, B_MIME_TYPE_LENGTH);
                return true;
            }
        }
        return false;
    }

    void Store(const struct stat &st, const char *type) {
        brindle::MutexLock guard(fLock);
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

    brindle::Mutex fLock;
    std::array<Entry, 32> fEntries GUARDED_BY(fLock);
    size_t fNext GUARDED_BY(fLock) = 0;
};

SniffCache &sniff_cache() {
    static SniffCache cache;
    return cache;
}

// libmagic's answer for the file whose first `length` bytes are `head`, read further past
// an ID3v2 tag.
status_t ask_libmagic(int fd, std::unique_ptr<unsigned char[]> head, size_t length, char *type) {
    size_t tagEnd = 0;
    bool footer = false;
    size_t wanted = MimeSniffer::kSniffLength;
    if (parse_id3v2_header(head.get(), length, &tagEnd, &footer))
        wanted += tagEnd + (footer ? 10 : 0);
    if (wanted > kMagicLookahead)
        wanted = kMagicLookahead;
    if (length == MimeSniffer::kSniffLength && wanted > length) {
        std::unique_ptr<unsigned char[]> larger(new (std::nothrow) unsigned char[wanted]);
        if (!larger)
            return B_NO_MEMORY;
        std::memcpy(larger.get(), head.get(), length);
        ssize_t more =
            read_at(fd, static_cast<off_t>(length), larger.get() + length, wanted - length);
        if (more < 0)
            return static_cast<status_t>(more);
        head = std::move(larger);
        length += static_cast<size_t>(more);
    }
    status_t status = magic_identify(head.get(), length, type);
    if (status == B_OK && MimeSniffer::IsMpegAudioName(type))
        std::memcpy(type, kMpegType, sizeof(kMpegType));
    return status;
}

}  // namespace

bool MimeSniffer::IsMpegAudioName(const char *type) {
    for (const char *name : kFreedesktopMpegNames) {
        if (std::strcmp(type, name) == 0)
            return true;
    }
    return false;
}

status_t MimeSniffer::Guess(int fd, char *type) {
    return _Guess(fd, type, false);
}

status_t MimeSniffer::Sniff(int fd, char *type) {
    return _Guess(fd, type, true);
}

status_t MimeSniffer::_Guess(int fd, char *type, bool remembered) {
    if (fd < 0 || type == nullptr)
        return B_BAD_VALUE;
    std::unique_ptr<unsigned char[]> head(new (std::nothrow) unsigned char[kSniffLength]);
    if (!head)
        return B_NO_MEMORY;
    ssize_t length = read_at(fd, 0, head.get(), kSniffLength);
    if (length < 0)
        return static_cast<status_t>(length);
    if (probe_mpeg_audio(fd, head.get(), static_cast<size_t>(length))) {
        std::memcpy(type, kMpegType, sizeof(kMpegType));
        return B_OK;
    }
    if (const char *known = probe_audio_format(head.get(), static_cast<size_t>(length))) {
        std::strcpy(type, known);
        return B_OK;
    }
    // Only libmagic's answers are worth remembering; the probe costs less than the lookup.
    struct stat st;
    const bool known = remembered && fstat(fd, &st) == 0;
    if (known && sniff_cache().Find(st, type))
        return B_OK;
    status_t status = ask_libmagic(fd, std::move(head), static_cast<size_t>(length), type);
    if (status == B_OK && known)
        sniff_cache().Store(st, type);
    return status;
}

}  // namespace BPrivate
