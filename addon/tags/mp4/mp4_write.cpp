#include "tags/mp4/mp4_write.h"

#include <unistd.h>

#include <Errors.h>

#include "tags/copy_writer.h"
#include "tags/mp4/mp4_atoms.h"
#include "tags/mp4/mp4_check.h"
#include "tags/safe_rewrite.h"
#include "tags/save_check.h"

namespace {

// Every chunk offset table (stco, co64) holds the entries its count declares. TagLib moves the
// offsets by that count alone, writing one entry at a time: a damaged count of four billion
// would have it write for hours into a file that grows all the while.
bool offset_tables_whole(const mp4_layout &layout) {
    for (const mp4_node &node : layout.nodes) {
        const mp4_atom &atom = node.atom;
        if (atom.type != "stco" && atom.type != "co64")
            continue;
        const uint64_t width = atom.type == "stco" ? 4 : 8;
        const uint64_t at = atom.PayloadOffset();
        if (atom.End() < at + 8 || atom.End() > layout.moov.size())
            return false;
        uint64_t count = 0;
        for (int i = 0; i < 4; i++)
            count = count << 8 | static_cast<unsigned char>(layout.moov[at + 4 + i]);
        if (count > (atom.End() - at - 8) / width)
            return false;
    }
    return true;
}

}  // namespace

status_t write_mp4_tag(BFile &file, const formats_codec &taglib, const format_edit &edit,
                       bool *replaced, node_ref *replacement) {
    *replaced = false;
    const int fd = file.Dup();
    if (fd < 0)
        return fd;
    mp4_layout layout;
    status_t status = read_mp4_layout(fd, &layout);
    close(fd);
    if (status != B_OK)
        return status;
    // TagLib moves only the first fragment's data offset: every later one would point at its
    // old place.
    if (layout.fragmented)
        return TAG_FRAGMENTED_MP4;
    if (!offset_tables_whole(layout))
        return B_BAD_DATA;
    status = rewrite_file_checked(
        file,
        [&](copy_writer &writer, const char *, int copyFd) -> status_t {
            status_t copied = writer.Copy(0, static_cast<off_t>(layout.length));
            if (copied != B_OK)
                return copied;
            // TagLib closes the descriptor it is given. What it says of its own writes is
            // not trusted: the check reads them back.
            const int copy = dup(copyFd);
            if (copy < 0)
                return B_NO_MORE_FDS;
            return taglib.write(copy, TAG_FORMAT_MP4, edit) ? B_OK : B_BAD_DATA;
        },
        [&](int sourceFd, int copyFd, const copy_writer &) {
            return check_mp4_copy(sourceFd, copyFd, edit);
        },
        replacement);
    *replaced = status == B_OK;
    return status;
}
