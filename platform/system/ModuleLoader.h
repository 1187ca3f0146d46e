// Loading a module for the life of the process: one of ours by its full path (beside the
// platform library: ModulePath.h), or a system library (libmagic, libedit) by its name on
// the library path. A module stays loaded unless its loader closes it. Not Be API: the kits, the
// player and the add-on share it.
#ifndef BRINDLE_SYSTEM_MODULE_LOADER_H
#define BRINDLE_SYSTEM_MODULE_LOADER_H

#include <string>

namespace brindle {

// The module `file` (a path when it holds a '/', else a library name), loaded with
// RTLD_NOW | RTLD_LOCAL, or nullptr with the loader's reason in `*reason` (when given).
void *open_module(const char *file, std::string *reason = nullptr);

// The entry point or variable `symbol` of `module` as a `T`, or nullptr with the loader's
// reason in `*reason` (when given).
void *module_symbol(void *module, const char *symbol, std::string *reason = nullptr);
template <typename T>
T module_entry(void *module, const char *symbol, std::string *reason = nullptr) {
    return reinterpret_cast<T>(module_symbol(module, symbol, reason));
}

// Drops the reference one open_module took (the module goes when no other holds it).
void close_module(void *module);

}  // namespace brindle

#endif  // BRINDLE_SYSTEM_MODULE_LOADER_H
