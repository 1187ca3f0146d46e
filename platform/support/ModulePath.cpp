#include <ModulePath.h>

#include <dlfcn.h>

#include <cstring>

BString module_path(const char *name) {
    Dl_info info;
    // Any function of this library names the file it was loaded from.
    if (dladdr(reinterpret_cast<void *>(&module_path), &info) == 0 || info.dli_fname == nullptr)
        return BString(name);
    const char *slash = strrchr(info.dli_fname, '/');
    if (slash == nullptr)
        return BString(name);
    BString path(info.dli_fname, static_cast<int32>(slash - info.dli_fname + 1));
    path += name;
    return path;
}
