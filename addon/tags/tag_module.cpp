#include "tags/tag_module.h"

#include <dlfcn.h>

#include <cstdio>

#include <ModulePath.h>

const void *load_tag_module(const char *file, const char *entry) {
    void *image = dlopen(module_path(file).String(), RTLD_NOW | RTLD_LOCAL);
    if (image == nullptr) {
        printf("Failed to load %s: %s\n", file, dlerror());
        return nullptr;
    }
    typedef const void *(*entry_point)();
    auto function = reinterpret_cast<entry_point>(dlsym(image, entry));
    const void *table = function != nullptr ? function() : nullptr;
    if (table == nullptr)
        printf("Failed to load %s: not a matching module\n", file);
    return table;
}
