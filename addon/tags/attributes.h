// The audio attributes the add-on keeps per file, and the file-type test that decides whether
// a file is MPEG audio.
//
// Nothing here fails towards its caller: a missing attribute leaves the result at its
// starting value (the empty text). Progress and failures are reported as plain lines on
// standard output.
#ifndef BRINDLE_TAGS_ATTRIBUTES_H
#define BRINDLE_TAGS_ATTRIBUTES_H

#include <Errors.h>
#include <Node.h>
#include <SupportDefs.h>
#include <TypeConstants.h>

#include "support/str.h"

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

#endif  // BRINDLE_TAGS_ATTRIBUTES_H
