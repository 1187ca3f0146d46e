// Loading one of the add-on's TagLib modules, which live beside the platform library.
#ifndef BRINDLE_TAGS_TAG_MODULE_H
#define BRINDLE_TAGS_TAG_MODULE_H

// The table the module `file` gives through its entry point `entry`, or nullptr (said on
// standard output: "Failed to load FILE: REASON"). The module stays loaded to the end; call
// once and keep the result.
const void *load_tag_module(const char *file, const char *entry);

#endif  // BRINDLE_TAGS_TAG_MODULE_H
