// Content sniffing with libmagic: the last resort for a file's type.
//
// Internal to the storage kit. The magic database is loaded once per process, on first
// use; libmagic's handle is not thread-safe, so every use of it is serialized.
#ifndef BRINDLE_STORAGE_PRIVATE_MIME_SNIFFER_H
#define BRINDLE_STORAGE_PRIVATE_MIME_SNIFFER_H

#include <SupportDefs.h>

namespace BPrivate {

class MimeSniffer {
public:
    // Guesses the type of the file open on `fd` from the start of its content, read with
    // pread (the descriptor's position is left alone). MPEG audio is "audio/x-mpeg", the
    // platform's name for it. `type` holds B_MIME_TYPE_LENGTH bytes.
    static status_t Sniff(int fd, char *type);

    // How much of the start of a file the guess looks at. A file that opens with an ID3v2
    // tag is read through that much past the tag too: libmagic calls it MPEG audio only
    // when it finds a frame right after the tag. Never more than kMaxSniffLength, the most
    // libmagic itself reads of a file.
    static constexpr size_t kSniffLength = 4096;
    static constexpr size_t kMaxSniffLength = 7 * 1024 * 1024;
};

}  // namespace BPrivate

#endif  // BRINDLE_STORAGE_PRIVATE_MIME_SNIFFER_H
