#include <AudioFormatProbe.h>

#include <cstring>

namespace BPrivate {

namespace {

bool has_at(const unsigned char *head, size_t length, size_t offset, const char *bytes,
            size_t count) {
    return offset + count <= length && std::memcmp(head + offset, bytes, count) == 0;
}

}  // namespace

const char *probe_audio_format(const unsigned char *head, size_t length) {
    if (has_at(head, length, 0, "fLaC", 4))
        return "audio/flac";
    // The codec's first packet sits at byte 28 when the first page has one segment, which
    // is where libmagic looks for it.
    if (has_at(head, length, 0, "OggS", 4) &&
        (has_at(head, length, 28, "\x01vorbis", 7) || has_at(head, length, 28, "OpusHead", 8)))
        return "audio/ogg";
    if (has_at(head, length, 4, "ftypM4A ", 8))
        return "audio/x-m4a";
    return nullptr;
}

}  // namespace BPrivate
