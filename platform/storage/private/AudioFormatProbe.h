// The quick answer for the tagged audio formats other than MPEG, told from a file's first
// bytes without loading libmagic, in libmagic's own words.
//
// Internal to the storage kit. Only what libmagic itself decides at fixed places is taken:
// "fLaC" at the start (audio/flac); an Ogg page at the start whose first packet, at byte
// 28, is a Vorbis identification header or "OpusHead" (audio/ogg, for both); an ISO media
// file whose `ftyp` box names the major brand "M4A " (audio/x-m4a). Anything else, other Ogg
// codecs and other MP4 brands included, goes to libmagic.
#ifndef BRINDLE_STORAGE_PRIVATE_AUDIO_FORMAT_PROBE_H
#define BRINDLE_STORAGE_PRIVATE_AUDIO_FORMAT_PROBE_H

#include <stddef.h>

namespace BPrivate {

// The bytes the probe needs from the start of a file.
constexpr size_t kAudioFormatProbeLength = 36;

// libmagic's type for the file whose first `length` bytes are `head`, or nullptr when the
// probe does not know.
const char *probe_audio_format(const unsigned char *head, size_t length);

}  // namespace BPrivate

#endif  // BRINDLE_STORAGE_PRIVATE_AUDIO_FORMAT_PROBE_H
