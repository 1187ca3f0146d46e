#include <ModulePath.h>

#include <dlfcn.h>

#include <cstring>

namespace brindle {

std::string module_path(const char *name) {
    Dl_info info;
    // Any function of this library names the file it was loaded from.
    if (dladdr(reinterpret_cast<void *>(&module_path), &info) == 0 || info.dli_fname == nullptr)
        return name;
    const char *slash = strrchr(info.dli_fname, '/');
    if (slash == nullptr)
        return name;
    return std::string(info.dli_fname, slash + 1) + name;
}

}  // namespace brindle
