#include "tags/flac/flac_metadata.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <Errors.h>
#include <SystemIo.h>
#include <UniqueFd.h>

#include "tags/save_check.h"

namespace {

// Headers are read this many bytes at a time: a file's usual metadata is one read, and a
// cover picture costs one more read after it.
constexpr size_t kWindow = 64 * 1024;

// The bytes of the file from a window's start, read on demand.
class header_reader {
public:
    explicit header_reader(int fd) : fFd(fd) {}

    // Copies `length` bytes at `offset` into `out`. B_OK; B_BAD_DATA when the file ends
    // sooner; the host's error.
    status_t Get(off_t offset, void *out, size_t length) {
        if (offset < fStart ||
            offset + static_cast<off_t>(length) > fStart + static_cast<off_t>(fHeld)) {
            fBuffer.resize(kWindow);
            ssize_t count = brindle::read_all_at(fFd, fBuffer.data(), kWindow, offset);
            if (count < 0)
                return status_from_errno(errno);
            fStart = offset;
            fHeld = static_cast<size_t>(count);
            if (fHeld < length)
                return B_BAD_DATA;
        }
        memcpy(out, fBuffer.data() + (offset - fStart), length);
        return B_OK;
    }

private:
    int fFd;
    std::vector<char> fBuffer;
    off_t fStart = 0;
    size_t fHeld = 0;
};

}  // namespace

int flac_metadata::Comment() const {
    for (size_t i = 0; i < blocks.size(); i++) {
        if (blocks[i].type == FLAC_VORBIS_COMMENT)
            return static_cast<int>(i);
    }
    return -1;
}

std::string flac_block_header(int type, bool last, uint32_t length) {
    const char header[4] = {static_cast<char>((last ? 0x80 : 0) | (type & 0x7f)),
                            static_cast<char>(length >> 16), static_cast<char>(length >> 8),
                            static_cast<char>(length)};
    return std::string(header, 4);
}

status_t read_flac_metadata(int fd, flac_metadata *metadata) {
    struct stat info;
    if (fstat(fd, &info) != 0)
        return status_from_errno(errno);
    flac_metadata result;
    result.fileSize = info.st_size;
    header_reader reader(fd);
    unsigned char head[10];
    // An ID3v2 tag in front: its header gives its size (and a footer's 10 bytes).
    if (reader.Get(0, head, 10) == B_OK && memcmp(head, "ID3", 3) == 0) {
        result.marker = 10 + ((head[6] & 0x7f) << 21 | (head[7] & 0x7f) << 14 |
                              (head[8] & 0x7f) << 7 | (head[9] & 0x7f));
        if ((head[5] & 0x10) != 0)
            result.marker += 10;
    }
    status_t status = reader.Get(result.marker, head, 4);
    if (status != B_OK || memcmp(head, "fLaC", 4) != 0)
        return status == B_OK || status == B_BAD_DATA ? B_BAD_DATA : status;

    off_t offset = result.marker + 4;
    for (;;) {
        if (result.blocks.size() == FLAC_MAX_BLOCKS || offset - result.marker > FLAC_MAX_METADATA)
            return TAG_FLAC_DAMAGED;
        status = reader.Get(offset, head, 4);
        if (status == B_BAD_DATA)
            return TAG_FLAC_DAMAGED;  // the file ends inside a header
        if (status != B_OK)
            return status;
        flac_block block;
        block.offset = offset;
        block.type = head[0] & 0x7f;
        block.last = (head[0] & 0x80) != 0;
        block.length = static_cast<uint32_t>(head[1] << 16 | head[2] << 8 | head[3]);
        const bool first = result.blocks.empty();
        if ((block.type == FLAC_STREAMINFO) != first || block.type == FLAC_INVALID ||
            block.End() > result.fileSize)
            return TAG_FLAC_DAMAGED;
        result.blocks.push_back(block);
        offset = block.End();
        if (block.last)
            break;
    }
    if (offset - result.marker > FLAC_MAX_METADATA)
        return TAG_FLAC_DAMAGED;
    result.audio = offset;
    *metadata = std::move(result);
    return B_OK;
}

status_t read_flac_metadata(BFile &file, flac_metadata *metadata) {
    brindle::UniqueFd fd(file.Dup());
    return fd.IsOpen() ? read_flac_metadata(fd.Get(), metadata) : B_NO_MORE_FDS;
}

bool flac_metadata_damaged(BFile &file) {
    flac_metadata metadata;
    return read_flac_metadata(file, &metadata) == TAG_FLAC_DAMAGED;
}
