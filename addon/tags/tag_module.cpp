#include "tags/tag_module.h"

#include <string>

#include <ModulePath.h>

void *open_tag_module(const char *file) {
    std::string reason;
    void *image = brindle::open_module(brindle::module_path(file).c_str(), &reason);
    if (image == nullptr)
        printf("Failed to load %s: %s\n", file, reason.c_str());
    return image;
}
