// The quick answer for MPEG audio: what libmagic calls "audio/mpeg", told from the first
// bytes without loading libmagic.
//
// Internal to the storage kit. libmagic calls a file MPEG audio when it starts with an
// MPEG audio frame header, or with an ID3v2 tag directly followed by one (it looks for the
// frame where the tag's header says the tag ends, ignoring any footer). The probe accepts
// only a strict part of that: Layer III headers of MPEG-1, 2 or 2.5 with a real bitrate
// and sample rate, which is what encoders write. Anything else goes to libmagic.
#ifndef BRINDLE_STORAGE_PRIVATE_MPEG_AUDIO_PROBE_H
#define BRINDLE_STORAGE_PRIVATE_MPEG_AUDIO_PROBE_H

#include <stddef.h>

namespace BPrivate {

// The 4-byte frame header at `bytes` is one the probe accepts.
bool is_mpeg_audio_frame_header(const unsigned char *bytes);

// An ID3v2 header at the start of `content`: where the tag's header says it ends (10 +
// its size), and whether a 10-byte footer follows that. False when there is none, or its
// size is not in the tag's own 7-bit form.
bool parse_id3v2_header(const unsigned char *content, size_t length, size_t *end, bool *footer);

// The most of a file libmagic ever looks at: a frame header past it is none to libmagic.
constexpr size_t kMagicLookahead = 7 * 1024 * 1024;

// True when the file open on `fd`, whose first bytes are `head`, is MPEG audio as above.
// A frame header past `head` (after a long tag) is read with one pread. False says
// nothing either way.
bool probe_mpeg_audio(int fd, const unsigned char *head, size_t headLength);

}  // namespace BPrivate

#endif  // BRINDLE_STORAGE_PRIVATE_MPEG_AUDIO_PROBE_H
