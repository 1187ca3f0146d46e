#include "tags/tag_module.h"

#include <cstdio>
#include <string>

#include <ModuleLoader.h>
#include <ModulePath.h>

const void *load_tag_module(const char *file, const char *entry) {
    std::string reason;
    void *image = brindle::open_module(module_path(file).String(), &reason);
    if (image == nullptr) {
        printf("Failed to load %s: %s\n", file, reason.c_str());
        return nullptr;
    }
    typedef const void *(*entry_point)();
    auto function = brindle::module_entry<entry_point>(image, entry);
    const void *table = function != nullptr ? function() : nullptr;
    if (table == nullptr)
        printf("Failed to load %s: not a matching module\n", file);
    return table;
}
