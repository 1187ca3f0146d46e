// The metadata blocks of a FLAC file, found without reading their bodies: a walk over the block
// headers in large reads, which stops at damage instead of running on through a file of
// zeros (a preallocated or partly downloaded file reads as one empty block every 4 bytes).
#ifndef BRINDLE_TAGS_FLAC_METADATA_H
#define BRINDLE_TAGS_FLAC_METADATA_H

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include <File.h>
#include <SupportDefs.h>

enum flac_block_type {
    FLAC_STREAMINFO = 0,
    FLAC_PADDING = 1,
    FLAC_VORBIS_COMMENT = 4,
    FLAC_PICTURE = 6,
    FLAC_INVALID = 127
};

constexpr size_t FLAC_BLOCK_HEADER = 4;
// The largest body a block's 24-bit length can give.
constexpr uint32_t FLAC_MAX_BLOCK_LENGTH = (1u << 24) - 1;
// Where the walk gives up: more blocks or more metadata bytes than any real file has.
constexpr size_t FLAC_MAX_BLOCKS = 1024;
constexpr off_t FLAC_MAX_METADATA = 64 << 20;

struct flac_block {
    off_t offset = 0;  // of its 4-byte header; the body follows it
    int type = 0;
    bool last = false;
    uint32_t length = 0;  // of its body

    off_t End() const { return offset + static_cast<off_t>(FLAC_BLOCK_HEADER) + length; }
};

struct flac_metadata {
    off_t marker = 0;  // where "fLaC" is: after an ID3v2 tag some programs put in front
    std::vector<flac_block> blocks;
    off_t audio = 0;  // the first byte after the last block
    off_t fileSize = 0;

    // The index of the first VORBIS_COMMENT block, or -1.
    int Comment() const;
};

// Walks the metadata of the FLAC file open for reading on `fd`. B_OK; B_BAD_DATA when it is no
// FLAC file (no "fLaC" where one belongs); TAG_FLAC_DAMAGED when the walk stops at damage: a
// first block that is no STREAMINFO or a second one, a block of type 127, a block past the
// end of the file, more than FLAC_MAX_BLOCKS blocks or FLAC_MAX_METADATA bytes of them; or
// the host's error when a read fails.
status_t read_flac_metadata(int fd, flac_metadata *metadata);

// The same for `file`, open for reading.
status_t read_flac_metadata(BFile &file, flac_metadata *metadata);
// True when `file`'s metadata walk stops at damage (TAG_FLAC_DAMAGED above).
bool flac_metadata_damaged(BFile &file);

// The 4 header bytes of a block.
std::string flac_block_header(int type, bool last, uint32_t length);

#endif  // BRINDLE_TAGS_FLAC_METADATA_H
