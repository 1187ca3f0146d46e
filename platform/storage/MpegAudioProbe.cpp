#include <MpegAudioProbe.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <SystemIo.h>

namespace BPrivate {

bool is_mpeg_audio_frame_header(const unsigned char *bytes) {
    // 11 sync bits, version (00 MPEG-2.5, 01 reserved, 10 MPEG-2, 11 MPEG-1), layer (01 is
    // Layer III), protection bit; then bitrate index (0 free, 15 invalid), sample rate index
    // (3 reserved), padding and private bits.
    if (bytes[0] != 0xff || (bytes[1] & 0xe0) != 0xe0)
        return false;
    const unsigned version = (bytes[1] >> 3) & 0x3;
    const unsigned layer = (bytes[1] >> 1) & 0x3;
    const unsigned bitrate = bytes[2] >> 4;
    const unsigned sampleRate = (bytes[2] >> 2) & 0x3;
    return version != 1 && layer == 1 && bitrate != 0 && bitrate != 15 && sampleRate != 3;
}

bool parse_id3v2_header(const unsigned char *content, size_t length, size_t *end, bool *footer) {
    if (length < 10 || std::memcmp(content, "ID3", 3) != 0 || content[3] == 0xff ||
        content[4] == 0xff)
        return false;
    size_t size = 0;
    for (int i = 6; i < 10; ++i) {
        if (content[i] & 0x80)
            return false;
        size = (size << 7) | content[i];
    }
    *end = 10 + size;
    *footer = (content[5] & 0x10) != 0;
    return true;
}

bool probe_mpeg_audio(int fd, const unsigned char *head, size_t headLength) {
    if (headLength >= 4 && is_mpeg_audio_frame_header(head))
        return true;
    size_t tagEnd;
    bool footer;
    if (!parse_id3v2_header(head, headLength, &tagEnd, &footer))
        return false;
    if (tagEnd + 4 <= headLength)
        return is_mpeg_audio_frame_header(head + tagEnd);
    if (tagEnd + 4 > kMagicLookahead)
        return false;
    unsigned char frame[4];
    const ssize_t count = brindle::retry_on_eintr(
        [&] { return pread(fd, frame, sizeof(frame), static_cast<off_t>(tagEnd)); });
    return count == static_cast<ssize_t>(sizeof(frame)) && is_mpeg_audio_frame_header(frame);
}

}  // namespace BPrivate
