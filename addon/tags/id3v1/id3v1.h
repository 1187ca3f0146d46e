// The ID3v1 trailer of MPEG audio files: 128 bytes at the end of the file.
//
// Nothing here fails towards its caller: a short file or a failed seek, read or write leaves
// the result at its starting value (empty text, UNKNOWN_GENRE_VALUE) or skips the write.
// Progress and failures are reported as plain lines on standard output.
#ifndef BRINDLE_TAGS_ID3V1_ID3V1_H
#define BRINDLE_TAGS_ID3V1_ID3V1_H

#include <File.h>
#include <SupportDefs.h>

#include "support/str.h"

// The ID3v1 trailer: 128 bytes at the end of the file. Field positions are counted back from
// the end of the file; text fields are 30-byte areas, NUL-padded, unterminated when full.
constexpr int32 ID3_TAG_SIZE = 128;
constexpr int64 ID3_TAG_OFFSET = -128;  // "TAG"
constexpr int64 ID3_TITLE_OFFSET = -125;
constexpr int64 ID3_ARTIST_OFFSET = -95;
constexpr int64 ID3_ALBUM_OFFSET = -65;
constexpr int64 ID3_GENRE_OFFSET = -1;  // one byte: a genre id
constexpr int32 ID3_TEXT_LENGTH = 30;
// The genre byte of a tag the add-on appends: past the table, so "no genre" to every reader.
constexpr uint8 ID3_NO_GENRE = 255;

// True when `file` is MPEG audio and its last 128 bytes begin with "TAG". A file of 128 bytes
// or less never has a tag.
bool has_id3_info(BFile &file);

// The ID3v1 trailer as one read found it: its 128 bytes and where they start in the file. A
// load or save reads it once and takes every field from it; a save then writes only the areas
// it changes, each in one write at its place.
struct id3_trailer {
    off_t start = -1;
    char bytes[ID3_TAG_SIZE] = {};
};

// has_id3_info(), keeping in `trailer` the 128 bytes it read.
bool has_id3_info(BFile &file, id3_trailer *trailer);
// Reads the last 128 bytes of `file` into `trailer`, silently, whatever they are; false when
// the file has 128 bytes or less or the read fails.
bool read_id3_trailer(BFile &file, id3_trailer *trailer);
// get_id3_string() and get_id3_byte() for an area of a trailer already read.
vesk::str_t get_id3_string(const id3_trailer &trailer, int64 offset, int32 length);
uint8 get_id3_byte(const id3_trailer &trailer, int64 offset);
// write_id3_string() and write_id3_byte() into the trailer's own place in `file` (kept in
// `trailer` too): one write, and no look at the file's size first.
void write_id3_string(BFile &file, id3_trailer *trailer, int64 offset, const char *text,
                      int32 length, bool latin1 = true);
void write_id3_byte(BFile &file, id3_trailer *trailer, int64 offset, uint8 value);

// Every access below first seeks `offset` bytes back from the end and is made only when the
// seek lands on a position above zero. They move the file position.

// The text in the `length`-byte area at `offset`, up to its first NUL, as UTF-8 (the
// bytes are read as encoding.h says); "" when unreadable.
vesk::str_t get_id3_string(BFile &file, int64 offset, int32 length);
// The byte at `offset`; UNKNOWN_GENRE_VALUE when unreadable.
uint8 get_id3_byte(BFile &file, int64 offset);
// Stores the UTF-8 `text` at `offset` in at most `length` bytes (Latin-1 when it can and
// `latin1` allows it, as encoding.h says; never a split character), NUL-filling the rest of
// the area.
void write_id3_string(BFile &file, int64 offset, const char *text, int32 length,
                      bool latin1 = true);
void write_id3_byte(BFile &file, int64 offset, uint8 value);

// Appends an empty tag ("TAG", zero bytes, genre byte ID3_NO_GENRE) to a non-empty file. Returns
// true when the whole tag was written; after a partial write the file is cut back to its old
// length, so no half tag stays in the audio data. An empty file gets nothing.
bool add_id3_info(BFile &file);

#endif  // BRINDLE_TAGS_ID3V1_ID3V1_H
