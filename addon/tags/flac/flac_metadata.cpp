#include "tags/flac/flac_metadata.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include <Errors.h>

#include "tags/header_reader.h"
#include "tags/save_check.h"

namespace {

// B_OK with `length` bytes at `offset`; B_BAD_DATA when the file ends sooner; the host's error.
status_t get(header_reader &reader, off_t offset, void *out, size_t length) {
    ssize_t count = reader.Read(offset, out, length);
    return count < 0                              ? static_cast<status_t>(count)
           : static_cast<size_t>(count) == length ? B_OK
                                                  : B_BAD_DATA;
}

status_t walk(header_reader &reader, off_t fileSize, flac_metadata *metadata) {
    flac_metadata result;
    result.fileSize = fileSize;
    unsigned char head[10];
    // An ID3v2 tag in front: its header gives its size (and a footer's 10 bytes).
    if (get(reader, 0, head, 10) == B_OK && memcmp(head, "ID3", 3) == 0) {
        result.marker = 10 + ((head[6] & 0x7f) << 21 | (head[7] & 0x7f) << 14 |
                              (head[8] & 0x7f) << 7 | (head[9] & 0x7f));
        if ((head[5] & 0x10) != 0)
            result.marker += 10;
    }
    status_t status = get(reader, result.marker, head, 4);
    if (status != B_OK || memcmp(head, "fLaC", 4) != 0)
        return status == B_OK || status == B_BAD_DATA ? B_BAD_DATA : status;

    off_t offset = result.marker + 4;
    for (;;) {
        if (result.blocks.size() == FLAC_MAX_BLOCKS || offset - result.marker > FLAC_MAX_METADATA)
            return TAG_FLAC_DAMAGED;
        status = get(reader, offset, head, 4);
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
    header_reader reader(fd);
    return walk(reader, info.st_size, metadata);
}

status_t read_flac_metadata(BFile &file, flac_metadata *metadata) {
    off_t size = 0;
    status_t status = file.GetSize(&size);
    if (status != B_OK)
        return status;
    header_reader reader(file);
    return walk(reader, size, metadata);
}

bool flac_metadata_damaged(BFile &file) {
    flac_metadata metadata;
    return read_flac_metadata(file, &metadata) == TAG_FLAC_DAMAGED;
}
