// libmagic, loaded at its first use: the library and its database stay out of every
// process that never has to guess a type from content.
//
// Internal to the storage kit. libmagic's handle is not thread-safe, so every use of it is
// serialized.
#ifndef BRINDLE_STORAGE_PRIVATE_MAGIC_LIBRARY_H
#define BRINDLE_STORAGE_PRIVATE_MAGIC_LIBRARY_H

#include <stddef.h>

#include <SupportDefs.h>

namespace BPrivate {

// libmagic's MIME type for `content`, copied into `type` (B_MIME_TYPE_LENGTH bytes). The
// first call loads libmagic.so.1 and its database; B_UNSUPPORTED when either cannot be
// loaded (then and on every later call).
status_t magic_identify(const void *content, size_t length, char *type);

// Whether this process has loaded libmagic.
bool magic_loaded();

}  // namespace BPrivate

#endif  // BRINDLE_STORAGE_PRIVATE_MAGIC_LIBRARY_H
