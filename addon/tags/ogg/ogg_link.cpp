#include "tags/ogg/ogg_link.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <Errors.h>
#include <SystemIo.h>

#include "tags/header_reader.h"
#include "tags/save_check.h"

namespace {

uint32_t le32(const unsigned char *bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

void put_le32(char *bytes, uint32_t value) {
    for (int i = 0; i < 4; i++)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

// The page header at `offset`: false when none is there, or its page runs past `fileSize`.
bool read_page_header(header_reader &reader, off_t offset, off_t fileSize, ogg_page *page) {
    unsigned char head[OGG_HEADER + 255];
    ssize_t count = reader.Read(offset, head, sizeof(head));
    if (count < static_cast<ssize_t>(OGG_HEADER) || memcmp(head, "OggS", 4) != 0 || head[4] != 0 ||
        count < static_cast<ssize_t>(OGG_HEADER + head[26]))
        return false;
    page->offset = offset;
    page->flags = head[5];
    page->granule = le32(head + 6) | static_cast<uint64_t>(le32(head + 10)) << 32;
    page->serial = le32(head + 14);
    page->sequence = le32(head + 18);
    page->lacing.assign(reinterpret_cast<const char *>(head) + OGG_HEADER, head[26]);
    page->dataLength = 0;
    for (char lacing : page->lacing)
        page->dataLength += static_cast<unsigned char>(lacing);
    return offset + static_cast<off_t>(page->Length()) <= fileSize;
}

const uint32_t *crc_table() {
    static uint32_t table[256];
    static const bool made = [] {
        for (uint32_t i = 0; i < 256; i++) {
            uint32_t value = i << 24;
            for (int bit = 0; bit < 8; bit++)
                value = (value & 0x80000000u) != 0 ? (value << 1) ^ 0x04c11db7u : value << 1;
            table[i] = value;
        }
        return true;
    }();
    (void)made;
    return table;
}

}  // namespace

std::string ogg_id_magic(tag_format format) {
    return format == TAG_FORMAT_OPUS ? std::string("OpusHead") : std::string("\x01vorbis", 7);
}

std::string ogg_comment_magic(tag_format format) {
    return format == TAG_FORMAT_OPUS ? std::string("OpusTags") : std::string("\x03vorbis", 7);
}

uint32_t ogg_crc(const std::string &bytes) {
    const uint32_t *table = crc_table();
    uint32_t crc = 0;
    for (size_t i = 0; i < bytes.size(); i++) {
        const auto byte = (i >= 22 && i < 26) ? 0u : static_cast<unsigned char>(bytes[i]);
        crc = (crc << 8) ^ table[((crc >> 24) ^ byte) & 0xff];
    }
    return crc;
}

void renumber_ogg_page(std::string *page, uint32_t sequence) {
    put_le32(&(*page)[18], sequence);
    put_le32(&(*page)[22], ogg_crc(*page));
}

bool read_ogg_page_bytes(int fd, const ogg_page &page, std::string *bytes) {
    bytes->resize(page.Length());
    return brindle::read_all_at(fd, &(*bytes)[0], bytes->size(), page.offset) ==
           static_cast<ssize_t>(bytes->size());
}

std::string ogg_header_pages(const std::vector<std::string> &packets, uint32_t serial,
                             uint32_t sequence, size_t *count) {
    struct segment {
        size_t length;
        bool ends;
    };
    std::vector<segment> segments;
    std::string data;
    for (const std::string &packet : packets) {
        for (size_t left = packet.size();; left -= 255) {
            segments.push_back({left < 255 ? left : 255, left < 255});
            if (left < 255)
                break;
        }
        data += packet;
    }
    std::string pages;
    *count = 0;
    size_t at = 0, dataAt = 0;
    bool continued = false;
    while (at < segments.size()) {
        const size_t stop = std::min(segments.size(), at + 255);
        std::string lacing, body;
        bool ends = false;
        for (size_t i = at; i < stop; i++) {
            lacing += static_cast<char>(segments[i].length);
            body.append(data, dataAt, segments[i].length);
            dataAt += segments[i].length;
            ends = ends || segments[i].ends;
        }
        std::string page("OggS\0", 5);
        page += static_cast<char>(continued ? OGG_CONTINUED : 0);
        const uint64_t granule = ends ? 0 : OGG_NO_GRANULE;
        char number[4];
        put_le32(number, static_cast<uint32_t>(granule));
        page.append(number, 4);
        put_le32(number, static_cast<uint32_t>(granule >> 32));
        page.append(number, 4);
        put_le32(number, serial);
        page.append(number, 4);
        page.append(8, '\0');  // sequence and CRC, set below
        page += static_cast<char>(lacing.size());
        page += lacing + body;
        renumber_ogg_page(&page, sequence + static_cast<uint32_t>(*count));
        pages += page;
        ++*count;
        continued = !segments[stop - 1].ends;
        at = stop;
    }
    return pages;
}

status_t read_ogg_link(int fd, tag_format format, ogg_link *link, bool headersOnly) {
    struct stat info;
    if (fstat(fd, &info) != 0)
        return status_from_errno(errno);
    ogg_link result;
    result.fileSize = info.st_size;
    const size_t wanted = format == TAG_FORMAT_OPUS ? 2 : 3;
    std::string packet, body;
    off_t offset = 0;
    ogg_page page;
    header_reader reader(fd);
    while (read_page_header(reader, offset, result.fileSize, &page)) {
        const bool first = result.pages.empty();
        if (first && (page.flags & OGG_FIRST) == 0)
            return B_BAD_DATA;
        if (!first && page.serial != result.pages[0].serial)
            return TAG_MULTIPLEXED_OGG;  // another stream before this one's end
        result.pages.push_back(page);
        offset += static_cast<off_t>(page.Length());
        if (result.headers.size() < wanted) {
            if (!read_ogg_page_bytes(fd, page, &body))
                return B_IO_ERROR;
            size_t at = OGG_HEADER + page.lacing.size();
            for (size_t i = 0; i < page.lacing.size(); i++) {
                // Audio on a header page: the layout rewritten here would have to move it.
                if (result.headers.size() == wanted)
                    return B_BAD_DATA;
                const auto length = static_cast<unsigned char>(page.lacing[i]);
                packet.append(body, at, length);
                at += length;
                if (length < 255) {
                    result.headers.push_back(std::move(packet));
                    packet.clear();
                }
            }
            // The identification header has its page to itself.
            if (first && (result.headers.size() != 1 || !packet.empty() ||
                          result.headers[0].compare(0, ogg_id_magic(format).size(),
                                                    ogg_id_magic(format)) != 0)) {
                ogg_page next;
                const bool beside = read_page_header(reader, offset, result.fileSize, &next) &&
                                    (next.flags & OGG_FIRST) != 0;
                return beside ? TAG_MULTIPLEXED_OGG : B_BAD_DATA;
            }
            if (result.headers.size() == wanted) {
                result.headerPages = result.pages.size();
                if (headersOnly)
                    break;
            }
        }
        if ((page.flags & OGG_LAST) != 0)
            break;
    }
    if (result.headers.size() < wanted)
        return B_BAD_DATA;
    result.end = offset;
    *link = std::move(result);
    return B_OK;
}
