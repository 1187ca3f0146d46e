// BMessage::Unflatten on any bytes: it either refuses them (leaving the message empty) or
// takes a message that flattens again to a form it takes back to the same bytes.
#include <Message.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    BMessage message;
    const char *bytes = reinterpret_cast<const char *>(data);
    if (message.Unflatten(bytes, static_cast<ssize_t>(size)) != B_OK) {
        if (!message.IsEmpty() || message.what != 0)
            std::abort();  // a refused buffer leaves nothing behind
        return 0;
    }
    std::string flattened;
    if (message.Flatten(&flattened) != B_OK ||
        message.FlattenedSize() != static_cast<ssize_t>(flattened.size()))
        std::abort();
    BMessage again;
    std::string twice;
    if (again.Unflatten(flattened.data(), static_cast<ssize_t>(flattened.size())) != B_OK ||
        again.Flatten(&twice) != B_OK || twice != flattened || again.what != message.what)
        std::abort();
    return 0;
}
