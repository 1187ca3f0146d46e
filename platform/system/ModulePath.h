// The full path of a module that lives beside the platform library (build/lib in the
// build tree, lib/brindle when installed). Modules are loaded by that path, never by a
// bare name, so they are found whatever run path the loader consults (a sanitizer's
// dlopen consults none of the caller's). Not Be API. Built into the platform library
// (the file it names), not into each user's private copy of our system support.
#ifndef BRINDLE_SYSTEM_MODULE_PATH_H
#define BRINDLE_SYSTEM_MODULE_PATH_H

#include <string>

namespace brindle {

// `name` beside the platform library; `name` alone when that cannot be told.
std::string module_path(const char *name);

}  // namespace brindle

#endif  // BRINDLE_SYSTEM_MODULE_PATH_H
