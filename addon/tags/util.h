// Tag storage for the add-on: the audio attributes of a file, the ID3v1 trailer of MPEG
// audio files, and the lookups between genre names and their two numberings.
//
// Nothing here fails towards its caller: a missing attribute, a short file or a failed seek,
// read or write leaves the result at its starting value (empty text, UNKNOWN_GENRE_VALUE)
// or skips the write. Progress and failures are reported as plain lines on standard output.
#ifndef BRINDLE_TAGS_UTIL_H
#define BRINDLE_TAGS_UTIL_H

#include <Errors.h>
#include <File.h>
#include <Node.h>
#include <SupportDefs.h>
#include <TypeConstants.h>

#include "support/str.h"
#include "tags/genres.h"

// The attributes the add-on keeps per file, all at offset 0. Text attributes ('CSTR') are
// stored with their terminating NUL; number attributes ('LONG') as 4 bytes, signed,
// little-endian.
constexpr char AUDIO_TITLE_ATTR[] = "Audio:Title";
constexpr char AUDIO_ARTIST_ATTR[] = "Audio:Artist";
constexpr char AUDIO_ALBUM_ATTR[] = "Audio:Album";
constexpr char AUDIO_GENRE_ATTR[] = "Audio:Genre";
constexpr char AUDIO_RATING_ATTR[] = "Audio:Rating";
constexpr char AUDIO_VOLUME_ADJUSTMENT_ATTR[] = "Audio:VolumeAdjustment";

constexpr type_code AUDIO_TEXT_TYPE = B_STRING_TYPE;   // 'CSTR'
constexpr type_code AUDIO_NUMBER_TYPE = B_INT32_TYPE;  // 'LONG'

// Text attributes are read through a buffer of this many bytes: a longer value is cut.
constexpr size_t AUDIO_TEXT_ATTR_SIZE = 256;

// Rating: missing reads as the default; stored values are clamped to the range.
constexpr int32 RATING_DEFAULT = 1;
constexpr int32 RATING_MIN = 1;
constexpr int32 RATING_MAX = 10;
// Volume adjustment in steps of a quarter of the playlist's volume.
constexpr int32 VOLUME_ADJUSTMENT_DEFAULT = 0;
constexpr int32 VOLUME_ADJUSTMENT_MIN = -4;
constexpr int32 VOLUME_ADJUSTMENT_MAX = 4;

// The one file type that counts as MPEG audio, compared byte for byte.
constexpr char MPEG_AUDIO_TYPE[] = "audio/x-mpeg";

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

// Attribute `name` ('CSTR', offset 0) as text: at most AUDIO_TEXT_ATTR_SIZE bytes, ending at
// the first NUL among them. A failed read gives the empty text silently; a successful one
// prints "Setting NAME: TEXT".
// What a read found stored: its status (the byte count, or a negative error) and, when it
// succeeded, the stored value's type and whole size.
struct stored_attr {
    ssize_t status = B_NO_INIT;
    attr_info info{};
};

vesk::str_t get_string_attr(BNode &node, const char *name, stored_attr *stored = nullptr);

// True when the node's file type is exactly MPEG_AUDIO_TYPE; otherwise says why on
// standard output ("Failed to get mime type", "Not an audio/x-mpeg file, is TYPE").
bool is_mp3_file(BNode &node);
// The same test, silent: for callers that must not repeat is_mp3_file's lines.
bool has_mpeg_type(BNode &node);

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

// The first genre id (0 to NUM_GENRES - 1) whose name equals `name` byte for byte, else
// UNKNOWN_GENRE_VALUE (so for "unknown", "" and nullptr too).
uint8 get_genre_id(const char *name);
// The same search, ignoring the case of ASCII letters ("rock" is Rock): for genre texts
// other programs wrote into a file's tag.
uint8 get_genre_id_ignoring_case(const char *name);
// The same search in Genre-menu order: the name's alpha index.
uint8 get_genre_alpha_index(const char *name);

#endif  // BRINDLE_TAGS_UTIL_H
