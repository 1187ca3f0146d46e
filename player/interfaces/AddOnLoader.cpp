#include "AddOnLoader.h"

#include <dirent.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <ModuleLoader.h>

namespace {

// A list longer than this is taken as garbage (a list without its terminating null).
const size_t kMaxDescriptors = 256;

std::string words(const char *format, ...) __attribute__((format(printf, 1, 2)));

std::string words(const char *format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return text;
}

// Why nothing was taken from the image at `path`.
Status failure(const std::string &path, status_t code, const std::string &why) {
    return Status(code, path + ": " + why);
}

// A descriptor skipped while the rest of the image is taken.
void report_skipped(const std::string &path, const std::string &why) {
    report_failure(Status(B_BAD_DATA, path + ": " + why));
}

}  // namespace

Status AddOnLoader::Load(const std::string &path) {
    // dlopen looks a bare name up on the library path; an add-on is always a file.
    std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    std::string why;
    void *handle = brindle::open_module(file.c_str(), &why);
    if (handle == nullptr) {
        return failure(path, B_MISSING_LIBRARY, words("cannot load add-on: %s", why.c_str()));
    }
    for (const auto &image : fImages) {
        if (image->handle == handle) {
            brindle::close_module(handle);  // drops only the extra reference
            return failure(path, B_NAME_IN_USE,
                           words("already loaded from %s; skipped", image->path.c_str()));
        }
    }
    auto getList = brindle::module_entry<get_plugin_list_function>(handle, GET_PLUGIN_LIST_SYMBOL);
    if (getList == nullptr) {
        brindle::close_module(handle);
        return failure(path, B_MISSING_SYMBOL,
                       words("not an add-on: no %s", GET_PLUGIN_LIST_SYMBOL));
    }

    fImages.push_back(std::make_unique<LoadedImage>(LoadedImage{path, handle}));
    const LoadedImage *image = fImages.back().get();

    PluginDescriptor **list = getList();
    if (list == nullptr) {
        return failure(path, B_BAD_DATA, words("%s returned no list", GET_PLUGIN_LIST_SYMBOL));
    }
    size_t taken = 0;
    for (size_t i = 0; list[i] != nullptr; i++) {
        if (i == kMaxDescriptors) {
            report_skipped(
                path, words("more than %zu descriptors; the rest are ignored", kMaxDescriptors));
            break;
        }
        const PluginDescriptor *descriptor = list[i];
        if (descriptor->magic != PLUGIN_DESCRIPTOR_MAGIC) {
            report_skipped(path, words("descriptor %zu: bad magic 0x%08x (expected 0x%08x 'face')",
                                       i, static_cast<unsigned>(descriptor->magic),
                                       static_cast<unsigned>(PLUGIN_DESCRIPTOR_MAGIC)));
            continue;
        }
        if (descriptor->descriptorVersion != PLUGIN_DESCRIPTOR_VERSION) {
            report_skipped(path, words("descriptor %zu: version %u not supported (expected %u)", i,
                                       static_cast<unsigned>(descriptor->descriptorVersion),
                                       static_cast<unsigned>(PLUGIN_DESCRIPTOR_VERSION)));
            continue;
        }
        if (descriptor->id == nullptr || descriptor->id[0] == '\0') {
            report_skipped(path, words("descriptor %zu: no id", i));
            continue;
        }
        if (const LoadedDescriptor *other = Find(descriptor->id)) {
            report_skipped(path, words("descriptor %zu: id \"%s\" already loaded from %s; skipped",
                                       i, descriptor->id, other->image->path.c_str()));
            continue;
        }
        fDescriptors.push_back(LoadedDescriptor{image, descriptor});
        taken++;
    }
    if (taken == 0)
        return failure(path, B_BAD_DATA, "no usable descriptor");
    return Status();
}

void AddOnLoader::LoadDirectory(const std::string &directory) {
    DIR *dir = opendir(directory.c_str());
    if (dir == nullptr)
        return;
    std::vector<std::string> names;
    while (struct dirent *entry = readdir(dir)) {
        const size_t length = strlen(entry->d_name);
        if (length > 3 && strcmp(entry->d_name + length - 3, ".so") == 0)
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string &name : names)
        report_failure(Load(directory + "/" + name));
}

const LoadedDescriptor *AddOnLoader::Find(const std::string &id) const {
    for (const LoadedDescriptor &descriptor : fDescriptors) {
        if (id == descriptor.descriptor->id)
            return &descriptor;
    }
    return nullptr;
}

std::string executable_directory() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0)
        return "";
    path[length] = '\0';
    char *slash = strrchr(path, '/');
    if (slash == nullptr)
        return "";
    return std::string(path, slash - path);
}

std::string default_add_on_directory() {
    const std::string directory = executable_directory();
    if (directory.empty())
        return "";
    const std::string beside = directory + "/add-ons";
    const std::string installed = directory + "/../lib/brindle/add-ons";
    if (access(beside.c_str(), F_OK) != 0 && access(installed.c_str(), F_OK) == 0)
        return installed;
    return beside;
}
