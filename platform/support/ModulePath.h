// Extension of this platform, not on the original one: the full path of a module that
// lives beside the platform library (build/lib in the build tree, lib/brindle when
// installed). Modules are loaded by that path, never by a bare name, so they are found
// whatever run path the loader consults (a sanitizer's dlopen consults none of the
// caller's).
#ifndef BRINDLE_SUPPORT_MODULE_PATH_H
#define BRINDLE_SUPPORT_MODULE_PATH_H

#include <String.h>

// `name` beside the platform library; `name` alone when that cannot be told.
BString module_path(const char *name);

#endif  // BRINDLE_SUPPORT_MODULE_PATH_H
