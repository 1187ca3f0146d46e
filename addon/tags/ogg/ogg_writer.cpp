#include "tags/ogg/ogg_writer.h"

#include <Errors.h>
#include <UniqueFd.h>

#include "tags/copy_compare.h"
#include "tags/copy_writer.h"
#include "tags/in_place_write.h"
#include "tags/ogg/comment_edit.h"
#include "tags/ogg/ogg_link.h"
#include "tags/safe_rewrite.h"
#include "tags/save_check.h"

namespace {

// Renumbered pages go to the copy in writes of about this size.
constexpr size_t kWriteBatch = 256 * 1024;

bool parse_comment_packet(const std::string &packet, tag_format format, vorbis_comment *comment) {
    const std::string magic = ogg_comment_magic(format);
    return packet.compare(0, magic.size(), magic) == 0 &&
           parse_vorbis_comment(packet.substr(magic.size()), comment);
}

// Where the pages after the headers start.
off_t audio_start(const ogg_link &link) {
    return link.headerPages < link.pages.size() ? link.pages[link.headerPages].offset : link.end;
}

status_t build_copy(copy_writer &writer, int sourceFd, const ogg_link &link,
                    const std::string &headerPages, int64_t shift) {
    writer.Copy(0, static_cast<off_t>(link.pages[0].Length()));
    writer.Write(headerPages);
    if (shift == 0)
        return writer.Copy(audio_start(link), link.fileSize - audio_start(link));
    std::string batch, page;
    for (size_t i = link.headerPages; i < link.pages.size(); i++) {
        if (!read_ogg_page_bytes(sourceFd, link.pages[i], &page))
            return REWRITE_FILE_CHANGED;
        renumber_ogg_page(&page, static_cast<uint32_t>(link.pages[i].sequence + shift));
        batch += page;
        if (batch.size() >= kWriteBatch || i + 1 == link.pages.size()) {
            writer.Write(batch);
            batch.clear();
        }
    }
    return writer.Copy(link.end, link.fileSize - link.end);
}

// True when the copy's page `made` is the original's page `page` with its sequence number
// moved by `shift` and a right CRC.
bool page_kept(int sourceFd, int copyFd, const copy_writer &writer, const ogg_page &page,
               const ogg_page &made, int64_t shift) {
    if (writer.CopiedVerbatim(page.offset, static_cast<off_t>(page.Length()), made.offset))
        return shift == 0;
    std::string before, after;
    if (page.Length() != made.Length() || !read_ogg_page_bytes(sourceFd, page, &before) ||
        !read_ogg_page_bytes(copyFd, made, &after))
        return false;
    renumber_ogg_page(&before, static_cast<uint32_t>(page.sequence + shift));
    return before == after;
}

// The header packets and pages of `after` (read from `fd`) against `before` and `edit`: every
// header packet but the comment keeps its bytes, the comment holds `edit` over the original's
// and nothing else changed in it, and the header pages follow the first one in order, each
// with a right CRC. B_OK or a check failure of tags/save_check.h.
status_t check_header_pages(const ogg_link &before, const ogg_link &after, int fd,
                            tag_format format, const format_edit &edit) {
    if (before.headers.size() != after.headers.size())
        return CHECK_OTHER_DATA_CHANGED;
    for (size_t i = 2; i < before.headers.size(); i++) {
        if (before.headers[i] != after.headers[i])
            return CHECK_OTHER_DATA_CHANGED;
    }
    vorbis_comment original, written;
    if (!parse_comment_packet(before.headers[1], format, &original))
        return CHECK_UNREADABLE;
    if (!parse_comment_packet(after.headers[1], format, &written))
        return CHECK_FIELD_WRONG;
    status_t status = check_vorbis_comment(original, written, edit);
    if (status != B_OK)
        return status;
    std::string page;
    for (size_t i = 1; i < after.headerPages; i++) {
        if (after.pages[i].sequence != i || !read_ogg_page_bytes(fd, after.pages[i], &page))
            return CHECK_OTHER_DATA_CHANGED;
        std::string renumbered = page;
        renumber_ogg_page(&renumbered, static_cast<uint32_t>(i));
        if (renumbered != page)
            return CHECK_OTHER_DATA_CHANGED;
    }
    return B_OK;
}

// Writes the header pages after the first over the old ones, which they match in length and
// count, then reads them back and checks them as a copy's are checked.
status_t write_header_pages_in_place(int fd, const ogg_link &link, const std::string &headerPages,
                                     tag_format format, const format_edit &edit) {
    const off_t start = link.pages[1].offset;
    std::string old;
    if (!read_exactly_at(fd, start, headerPages.size(), &old))
        return B_IO_ERROR;
    return write_in_place(fd, start, old, headerPages, [&] {
        ogg_link after;
        if (read_ogg_link(fd, format, &after, true) != B_OK)
            return CHECK_UNREADABLE;
        if (after.headerPages != link.headerPages || after.end != audio_start(link))
            return CHECK_OTHER_DATA_CHANGED;
        return check_header_pages(link, after, fd, format, edit);
    });
}

}  // namespace

status_t write_ogg_comment(BFile &file, tag_format format, const format_edit &edit, bool *replaced,
                           node_ref *replacement) {
    *replaced = false;
    brindle::UniqueFd fd(file.Dup());
    if (!fd.IsOpen())
        return B_NO_MORE_FDS;
    ogg_link link;
    status_t status = read_ogg_link(fd.Get(), format, &link);
    if (status != B_OK)
        return status;
    vorbis_comment comment;
    if (!parse_comment_packet(link.headers[1], format, &comment))
        return B_BAD_DATA;
    if (!edit_vorbis_comment(&comment, edit))
        return B_OK;
    std::vector<std::string> packets = link.headers;
    packets.erase(packets.begin());
    packets[0] = ogg_comment_magic(format) + render_vorbis_comment(comment);
    size_t count = 0;
    const std::string headerPages = ogg_header_pages(packets, link.pages[0].serial, 1, &count);
    const int64_t shift = static_cast<int64_t>(count) - static_cast<int64_t>(link.headerPages - 1);
    // Pages as many and as long as before: nothing after them moves.
    if (shift == 0 &&
        static_cast<off_t>(headerPages.size()) == audio_start(link) - link.pages[1].offset)
        return write_header_pages_in_place(fd.Get(), link, headerPages, format, edit);

    status = rewrite_file_checked(
        file,
        [&](copy_writer &writer, const char *, int) {
            return build_copy(writer, fd.Get(), link, headerPages, shift);
        },
        [&](int sourceFd, int copyFd, const copy_writer &writer) {
            return check_ogg_copy(sourceFd, copyFd, writer, format, edit);
        },
        replacement);
    *replaced = status == B_OK;
    return status;
}

status_t check_ogg_copy(int sourceFd, int copyFd, const copy_writer &writer, tag_format format,
                        const format_edit &edit) {
    status_t status = check_copy_length(copyFd, writer);
    if (status != B_OK)
        return status;
    ogg_link before, after;
    if (read_ogg_link(sourceFd, format, &before) != B_OK ||
        read_ogg_link(copyFd, format, &after) != B_OK)
        return CHECK_UNREADABLE;

    // The first page as it was; then the other header pages.
    if (!page_kept(sourceFd, copyFd, writer, before.pages[0], after.pages[0], 0))
        return CHECK_OTHER_DATA_CHANGED;
    if ((status = check_header_pages(before, after, copyFd, format, edit)) != B_OK)
        return status;

    // The audio pages of the first link, then whatever follows it.
    const size_t audioPages = before.pages.size() - before.headerPages;
    if (after.pages.size() - after.headerPages != audioPages)
        return CHECK_AUDIO_CHANGED;
    const int64_t shift =
        static_cast<int64_t>(after.headerPages) - static_cast<int64_t>(before.headerPages);
    for (size_t i = 0; i < audioPages; i++) {
        if (!page_kept(sourceFd, copyFd, writer, before.pages[before.headerPages + i],
                       after.pages[after.headerPages + i], shift))
            return CHECK_AUDIO_CHANGED;
    }
    return check_copy_end(sourceFd, copyFd, writer, before.end, before.fileSize, after.end,
                          after.fileSize);
}
