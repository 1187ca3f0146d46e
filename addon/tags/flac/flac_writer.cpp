#include "tags/flac/flac_writer.h"

#include <sys/stat.h>

#include <Errors.h>
#include <UniqueFd.h>

#include "tags/copy_compare.h"
#include "tags/copy_writer.h"
#include "tags/flac/flac_metadata.h"
#include "tags/in_place_write.h"
#include "tags/ogg/comment_edit.h"
#include "tags/safe_rewrite.h"
#include "tags/save_check.h"

namespace {

// The block size assumed where the file system names none.
constexpr off_t kDefaultBlockSize = 4096;

// The comment a block holds, or the empty one a new block starts from.
status_t read_comment(int fd, const flac_metadata &metadata, vorbis_comment *comment) {
    const int index = metadata.Comment();
    if (index < 0) {
        *comment = vorbis_comment();
        comment->vendor = FLAC_CREATED_VENDOR;
        return B_OK;
    }
    const flac_block &block = metadata.blocks[static_cast<size_t>(index)];
    std::string body;
    if (!read_exactly_at(fd, block.offset + static_cast<off_t>(FLAC_BLOCK_HEADER), block.length,
                         &body))
        return B_IO_ERROR;
    return parse_vorbis_comment(body, comment) ? B_OK : B_BAD_DATA;
}

// The blocks an edit replaces: the first comment block and a PADDING block right after it;
// for a file without one, a PADDING block right after STREAMINFO. [first, end) of `blocks`.
struct flac_region {
    size_t first = 0;
    size_t end = 0;
    off_t start = 0;    // where the new comment block goes
    off_t stop = 0;     // the first byte after the blocks replaced
    bool last = false;  // the blocks replaced end the metadata

    off_t Room() const { return stop - start; }
};

flac_region region_of(const flac_metadata &metadata) {
    flac_region region;
    const std::vector<flac_block> &blocks = metadata.blocks;
    const int comment = metadata.Comment();
    region.first = comment >= 0 ? static_cast<size_t>(comment) : 1;
    region.end = comment >= 0 ? region.first + 1 : region.first;
    if (region.end < blocks.size() && blocks[region.end].type == FLAC_PADDING)
        region.end++;
    region.start = region.first < blocks.size() ? blocks[region.first].offset : metadata.audio;
    region.stop = region.end > region.first ? blocks[region.end - 1].End() : region.start;
    region.last = blocks[region.end - 1].last;
    return region;
}

// The comment block, then a PADDING block of `padding` bytes in all (0: none, else at least
// its header), the last of them marked last when the region ended the metadata.
std::string region_bytes(const std::string &body, off_t padding, bool last) {
    std::string bytes = flac_block_header(FLAC_VORBIS_COMMENT, last && padding == 0,
                                          static_cast<uint32_t>(body.size())) +
                        body;
    if (padding > 0) {
        const auto length = static_cast<uint32_t>(padding - FLAC_BLOCK_HEADER);
        bytes += flac_block_header(FLAC_PADDING, last, length);
        bytes.append(length, '\0');
    }
    return bytes;
}

// Writes the region in place: only the bytes that differ from what is there (a title's change
// leaves the fields before it and the padding's zeros alone).
status_t write_region_in_place(int fd, const flac_region &region, const std::string &body) {
    const off_t need = static_cast<off_t>(FLAC_BLOCK_HEADER + body.size());
    std::string old;
    if (!read_exactly_at(fd, region.start, static_cast<size_t>(region.Room()), &old))
        return B_IO_ERROR;
    return write_in_place(fd, region.start, old,
                          region_bytes(body, region.Room() - need, region.last));
}

off_t block_size(int fd) {
    struct stat info;
    if (fstat(fd, &info) != 0 || info.st_blksize <= 0 ||
        info.st_blksize > static_cast<off_t>(FLAC_MAX_BLOCK_LENGTH))
        return kDefaultBlockSize;
    return info.st_blksize;
}

// Builds the copy: everything before the region verbatim (STREAMINFO loses its last mark when
// the new comment follows it), the comment and a PADDING block that makes the audio move by
// whole blocks of the file system, then everything after the region verbatim.
status_t build_copy(copy_writer &writer, const flac_metadata &metadata, const flac_region &region,
                    const std::string &body, off_t blockSize) {
    const off_t need = static_cast<off_t>(FLAC_BLOCK_HEADER + body.size());
    off_t padding = ((region.Room() - need) % blockSize + blockSize) % blockSize;
    // Always a PADDING block, at least its header: the next edit then fits in place.
    if (padding < static_cast<off_t>(FLAC_BLOCK_HEADER))
        padding += blockSize;
    const flac_block &streaminfo = metadata.blocks[0];
    if (region.first == metadata.blocks.size() && streaminfo.last) {
        writer.Copy(0, streaminfo.offset);
        writer.Write(flac_block_header(FLAC_STREAMINFO, false, streaminfo.length));
        writer.Copy(streaminfo.offset + static_cast<off_t>(FLAC_BLOCK_HEADER), streaminfo.length);
    } else {
        writer.Copy(0, region.start);
    }
    writer.Write(region_bytes(body, padding, region.last));
    return writer.Copy(region.stop, metadata.fileSize - region.stop);
}

// The blocks an edit keeps, in order: all but those of region_of().
std::vector<flac_block> kept_blocks(const flac_metadata &metadata) {
    const flac_region region = region_of(metadata);
    std::vector<flac_block> kept;
    for (size_t i = 0; i < metadata.blocks.size(); i++) {
        if (i < region.first || i >= region.end)
            kept.push_back(metadata.blocks[i]);
    }
    return kept;
}

}  // namespace

status_t write_flac_comment(BFile &file, const format_edit &edit, bool *replaced,
                            node_ref *replacement) {
    *replaced = false;
    brindle::UniqueFd fd(file.Dup());
    if (!fd.IsOpen())
        return B_NO_MORE_FDS;
    flac_metadata metadata;
    status_t status = read_flac_metadata(fd.Get(), &metadata);
    if (status != B_OK)
        return status;
    vorbis_comment comment;
    if ((status = read_comment(fd.Get(), metadata, &comment)) != B_OK)
        return status;
    vorbis_comment edited = comment;
    if (!edit_vorbis_comment(&edited, edit))
        return B_OK;
    const std::string body = render_vorbis_comment(edited);
    if (body.size() > FLAC_MAX_BLOCK_LENGTH)
        return B_BAD_VALUE;

    const flac_region region = region_of(metadata);
    const off_t need = static_cast<off_t>(FLAC_BLOCK_HEADER + body.size());
    // In place when the region takes the block exactly or leaves room for a PADDING header;
    // never when the region is empty (a new block after a STREAMINFO with no PADDING after it).
    if (region.Room() > 0 &&
        (need == region.Room() || need + static_cast<off_t>(FLAC_BLOCK_HEADER) <= region.Room()))
        return write_region_in_place(fd.Get(), region, body);

    const off_t blockSize = block_size(fd.Get());
    status = rewrite_file_checked(
        file,
        [&](copy_writer &writer, const char *, int) {
            return build_copy(writer, metadata, region, body, blockSize);
        },
        [&](int sourceFd, int copyFd, const copy_writer &writer) {
            return check_flac_copy(sourceFd, copyFd, writer, edit);
        },
        replacement);
    *replaced = status == B_OK;
    return status;
}

status_t check_flac_copy(int sourceFd, int copyFd, const copy_writer &writer,
                         const format_edit &edit) {
    status_t status = check_copy_length(copyFd, writer);
    if (status != B_OK)
        return status;
    flac_metadata before, after;
    if (read_flac_metadata(sourceFd, &before) != B_OK || read_flac_metadata(copyFd, &after) != B_OK)
        return CHECK_UNREADABLE;

    // The ID3v2 tag in front and the marker.
    if (after.marker != before.marker ||
        !copy_holds(sourceFd, copyFd, writer, 0, before.marker + 4, 0))
        return CHECK_OTHER_DATA_CHANGED;
    // Every other block, in order, with its bytes.
    const std::vector<flac_block> kept = kept_blocks(before), found = kept_blocks(after);
    if (kept.size() != found.size())
        return CHECK_OTHER_DATA_CHANGED;
    for (size_t i = 0; i < kept.size(); i++) {
        const off_t header = static_cast<off_t>(FLAC_BLOCK_HEADER);
        if (kept[i].type != found[i].type || kept[i].length != found[i].length ||
            !copy_holds(sourceFd, copyFd, writer, kept[i].offset + header, kept[i].length,
                        found[i].offset + header))
            return CHECK_OTHER_DATA_CHANGED;
    }
    // The comment: the fields meant, everything else as it was.
    vorbis_comment original, written;
    if (after.Comment() < 0 || read_comment(sourceFd, before, &original) != B_OK ||
        read_comment(copyFd, after, &written) != B_OK)
        return CHECK_FIELD_WRONG;
    if ((status = check_vorbis_comment(original, written, edit)) != B_OK)
        return status;
    // The audio, every byte after the metadata; then whatever else was written (block headers,
    // padding) reads back as written.
    return check_copy_end(sourceFd, copyFd, writer, before.audio, before.fileSize, after.audio,
                          after.fileSize);
}
