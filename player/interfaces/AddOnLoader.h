// Loads add-on images and keeps their descriptors.
//
// An image is opened once (dlopen, RTLD_NOW | RTLD_LOCAL) and stays loaded until the
// player exits; its `get_plugin_list` is called once. An image that cannot be loaded,
// lacks `get_plugin_list`, or offers no usable descriptor is a failure of Load, which
// the caller names on standard error (report_failure) and goes on; a descriptor with the
// wrong magic or version is named there as it is skipped, and the rest of its image taken.
#ifndef BRINDLE_PLAYER_ADD_ON_LOADER_H
#define BRINDLE_PLAYER_ADD_ON_LOADER_H

#include <memory>
#include <string>
#include <vector>

#include <PluginInterface.h>

#include "Status.h"

struct LoadedImage {
    std::string path;
    void *handle;
};

struct LoadedDescriptor {
    const LoadedImage *image;
    const PluginDescriptor *descriptor;

    bool IsInterface() const { return (descriptor->flags & PLUGIN_IS_INTERFACE) != 0; }
};

class AddOnLoader {
public:
    AddOnLoader() = default;
    AddOnLoader(const AddOnLoader &) = delete;
    AddOnLoader &operator=(const AddOnLoader &) = delete;

    // Loads one image; a failure ("PATH: why") when nothing was taken from it.
    Status Load(const std::string &path);
    // Loads every "*.so" in `directory`, in name order, naming the images it skips on
    // standard error. A missing directory holds none.
    void LoadDirectory(const std::string &directory);

    const std::vector<LoadedDescriptor> &Descriptors() const { return fDescriptors; }
    // The descriptor with that id, or null.
    const LoadedDescriptor *Find(const std::string &id) const;

private:
    std::vector<std::unique_ptr<LoadedImage>> fImages;
    std::vector<LoadedDescriptor> fDescriptors;
};

// The directory of the running executable ("" if unknown), from /proc/self/exe.
std::string executable_directory();
// The player's add-ons/ folder: beside the executable in the build tree, or
// ../lib/brindle/add-ons/ where `cmake --install` puts it. "" when neither is known.
std::string default_add_on_directory();

#endif  // BRINDLE_PLAYER_ADD_ON_LOADER_H
