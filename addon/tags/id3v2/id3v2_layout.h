// The byte layout of an ID3v2 tag, read without TagLib: the header, the frame area and where
// each frame lies in it. Enough to find the frames the add-on needs and to splice new ones
// in, while every other frame keeps its exact bytes.
#ifndef BRINDLE_TAGS_ID3V2_LAYOUT_H
#define BRINDLE_TAGS_ID3V2_LAYOUT_H

#include <SupportDefs.h>

#include <functional>
#include <string>
#include <vector>

constexpr size_t ID3V2_HEADER_SIZE = 10;
constexpr uint8 ID3V2_FLAG_UNSYNCHRONISATION = 0x80;
constexpr uint8 ID3V2_FLAG_EXTENDED_HEADER = 0x40;  // 2.2: the whole tag is compressed
constexpr uint8 ID3V2_FLAG_FOOTER = 0x10;           // 2.4 only
// In a 2.4 frame's second flag byte: this frame's data is unsynchronised.
constexpr uint8 ID3V2_FRAME_FLAG_UNSYNCHRONISATION = 0x02;

struct id3v2_header {
    uint8 major = 0;  // 2, 3 or 4
    uint8 flags = 0;
    uint32 size = 0;  // bytes after the header, a footer not counted

    // The whole tag on disk: header, size, and a 2.4 footer.
    size_t TotalSize() const;
};

struct id3v2_frame_span {
    std::string id;  // "TIT2" (2.3, 2.4) or "TT2" (2.2)
    size_t offset;   // into the frame area
    size_t length;   // frame header included
};

// Parses the 10 header bytes at `bytes`. False unless they are an ID3v2 header of 2.2, 2.3 or
// 2.4 with a well-formed size.
bool parse_id3v2_header(const void *bytes, id3v2_header *header);
// The 10 bytes of a header.
std::string render_id3v2_header(uint8 major, uint8 flags, uint32 size);

// The length of a 2.3 or 2.4 extended header whose first four bytes are at `sizeBytes`.
size_t id3v2_extended_header_length(uint8 major, const void *sizeBytes);

// The frame area of a complete tag (`tag` starts with the header): the bytes after any
// extended header, with a 2.2 or 2.3 tag's unsynchronisation undone, up to the end of the
// size (padding included). False when the tag cannot be read this way (a compressed 2.2
// tag, an extended header past the end).
bool id3v2_frame_area(const id3v2_header &header, const std::string &tag, std::string *area);

// Gives `length` bytes of a frame area from `offset`, or nullptr when it cannot.
using id3v2_peek = std::function<const uint8 *(size_t offset, size_t length)>;

// Walks the frames of an area of `areaSize` bytes, reading it only through `peek`: a frame's
// header and, where 2.4 sizes are ambiguous, the first bytes after it, never its data. Stops
// at the end, at padding (a zero byte) or at a malformed frame (false); `end` receives where
// it stopped.
bool walk_id3v2_frames(uint8 major, size_t areaSize, const id3v2_peek &peek,
                       std::vector<id3v2_frame_span> *frames, size_t *end);

// Splits a frame area into frames. Returns true when what follows the last frame is padding
// alone; false when a frame is malformed or runs past the end (the frames before it are
// still given).
bool split_id3v2_frames(uint8 major, const std::string &area,
                        std::vector<id3v2_frame_span> *frames);

// A 2.4 frame (header included) made unsynchronised, as a tag whose header says so needs.
std::string unsynchronise_id3v2_frame(const std::string &frame);
// Unsynchronisation undone: every 0xFF 0x00 becomes 0xFF.
std::string resynchronise_id3v2(const std::string &bytes);

// A frame of a 2.3 or 2.4 tag: `id` (4 characters), the size of `data`, the first flag byte
// `status` and no format flags, then `data`.
std::string render_id3v2_frame(uint8 major, const std::string &id, uint8 status,
                               const std::string &data);

#endif  // BRINDLE_TAGS_ID3V2_LAYOUT_H
