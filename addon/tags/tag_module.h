// Loading one of the add-on's TagLib modules, which live beside the platform library.
#ifndef BRINDLE_TAGS_TAG_MODULE_H
#define BRINDLE_TAGS_TAG_MODULE_H

#include <cstdio>

#include <ModuleLoader.h>

// Opens the module `file`, or nullptr (said on standard output: "Failed to load FILE:
// REASON"). It stays loaded to the end.
void *open_tag_module(const char *file);

// The table the module `file` gives through its entry point `entry`, a function returning
// `const Table *`, called through that very type; or nullptr, said as above. Call once and
// keep the result.
template <typename Table>
const Table *load_tag_module(const char *file, const char *entry) {
    void *image = open_tag_module(file);
    if (image == nullptr)
        return nullptr;
    typedef const Table *(*entry_point)();
    auto function = brindle::module_entry<entry_point>(image, entry);
    const Table *table = function != nullptr ? function() : nullptr;
    if (table == nullptr)
        printf("Failed to load %s: not a matching module\n", file);
    return table;
}

#endif  // BRINDLE_TAGS_TAG_MODULE_H
