#include "tags/ogg/ogg_writer.h"

#include <Errors.h>
#include <UniqueFd.h>

#include "tags/copy_compare.h"
#include "tags/copy_writer.h"
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

    // The first page, and the header packets after the comment (Vorbis's setup).
    if (!page_kept(sourceFd, copyFd, writer, before.pages[0], after.pages[0], 0) ||
        before.headers.size() != after.headers.size())
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
    if ((status = check_vorbis_comment(original, written, edit)) != B_OK)
        return status;
    // The header pages follow the first one in order, each with a right CRC.
    std::string page;
    for (size_t i = 1; i < after.headerPages; i++) {
        if (after.pages[i].sequence != i || !read_ogg_page_bytes(copyFd, after.pages[i], &page))
            return CHECK_OTHER_DATA_CHANGED;
        std::string renumbered = page;
        renumber_ogg_page(&renumbered, static_cast<uint32_t>(i));
        if (renumbered != page)
            return CHECK_OTHER_DATA_CHANGED;
    }

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
