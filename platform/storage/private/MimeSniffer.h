// Guessing a file's type from its content: the last resort for a file's type.
//
// Internal to the storage kit. MPEG audio is told from its first bytes (MpegAudioProbe.h);
// anything else is libmagic's answer, and libmagic is loaded only then (MagicLibrary.h).
#ifndef BRINDLE_STORAGE_PRIVATE_MIME_SNIFFER_H
#define BRINDLE_STORAGE_PRIVATE_MIME_SNIFFER_H

#include <SupportDefs.h>

namespace BPrivate {

class MimeSniffer {
public:
    // Guesses the type of the file open on `fd` from the start of its content, read with
    // pread (the descriptor's position is left alone). MPEG audio is "audio/x-mpeg", the
    // platform's name for it. `type` holds B_MIME_TYPE_LENGTH bytes. The last guesses are
    // remembered by file identity and content version.
    static status_t Sniff(int fd, char *type);
    // The same guess, always made afresh.
    static status_t Guess(int fd, char *type);

    // True for freedesktop's names of MPEG audio: "audio/mpeg" and the aliases
    // shared-mime-info lists for it (the platform's own "audio/x-mpeg" among them).
    static bool IsMpegAudioName(const char *type);

    // How much of the start of a file a guess looks at. A file that opens with an ID3v2
    // tag is read through that much past the tag too: libmagic calls it MPEG audio only
    // when it finds a frame right after the tag. Never more than libmagic itself reads.
    static constexpr size_t kSniffLength = 4096;

private:
    static status_t _Guess(int fd, char *type, bool remembered);
};

}  // namespace BPrivate

#endif  // BRINDLE_STORAGE_PRIVATE_MIME_SNIFFER_H
