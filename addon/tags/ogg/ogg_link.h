// The first link of an Ogg Vorbis or Opus file, page by page: its header packets and where
// each page lies, found through the page headers (the audio pages' bodies are not read).
// Pages are parsed and made here too, with their CRC.
#ifndef BRINDLE_TAGS_OGG_LINK_H
#define BRINDLE_TAGS_OGG_LINK_H

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include <SupportDefs.h>

#include "tags/mp4/formats_codec.h"

constexpr size_t OGG_HEADER = 27;
constexpr uint8_t OGG_CONTINUED = 1;
constexpr uint8_t OGG_FIRST = 2;
constexpr uint8_t OGG_LAST = 4;
// The granule position of a page on which no packet ends.
constexpr uint64_t OGG_NO_GRANULE = ~0ULL;

struct ogg_page {
    off_t offset = 0;  // in the file
    uint8_t flags = 0;
    uint64_t granule = 0;
    uint32_t serial = 0;
    uint32_t sequence = 0;
    std::string lacing;  // the segment table
    size_t dataLength = 0;

    size_t Length() const { return OGG_HEADER + lacing.size() + dataLength; }
};

struct ogg_link {
    std::vector<ogg_page> pages;       // every page of the link, header pages first
    size_t headerPages = 0;            // pages[0, headerPages) hold the header packets, only them
    std::vector<std::string> headers;  // identification, comment (and Vorbis's setup)
    off_t end = 0;                     // the first byte after the link
    off_t fileSize = 0;
};

// The identification packet's magic for `format` ("\x01vorbis", "OpusHead").
std::string ogg_id_magic(tag_format format);
// The comment packet's magic for `format` (TAG_FORMAT_VORBIS: "\x03vorbis"; TAG_FORMAT_OPUS:
// "OpusTags").
std::string ogg_comment_magic(tag_format format);

// Reads the first link of the Ogg file open on `fd` as `format`. B_OK; TAG_MULTIPLEXED_OGG when
// another logical stream runs beside the first one; B_BAD_DATA when it is no such stream, its
// header packets are damaged or share a page with audio; or the host's error. The link ends
// at its last page (end of stream), at the end of the file or where no page follows; with
// `headersOnly`, the walk ends after the header pages, and so do `pages` and `end`.
status_t read_ogg_link(int fd, tag_format format, ogg_link *link, bool headersOnly = false);

// A page's header and body read whole, or false.
bool read_ogg_page_bytes(int fd, const ogg_page &page, std::string *bytes);
// The Ogg CRC of `bytes` (its own field zero).
uint32_t ogg_crc(const std::string &bytes);
// Sets a whole page's sequence number and CRC.
void renumber_ogg_page(std::string *page, uint32_t sequence);
// Lays `packets` out as pages of stream `serial` from sequence `sequence` on: up to 255
// segments a page, granule 0 where a packet ends, OGG_NO_GRANULE where none does.
std::string ogg_header_pages(const std::vector<std::string> &packets, uint32_t serial,
                             uint32_t sequence, size_t *count);

#endif  // BRINDLE_TAGS_OGG_LINK_H
