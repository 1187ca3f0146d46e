#include <Entry.h>

#include <StorageSupport.h>

#include <cstring>
#include <new>
#include <tuple>
#include <utility>

namespace {

char *copy_name(const char *name) {
    if (name == nullptr)
        return nullptr;
    size_t size = std::strlen(name) + 1;
    char *copy = new (std::nothrow) char[size];
    if (copy != nullptr)
        std::memcpy(copy, name, size);
    return copy;
}

}  // namespace

entry_ref::entry_ref()
    : device(static_cast<dev_t>(-1)), directory(static_cast<ino_t>(-1)), name(nullptr) {}

entry_ref::entry_ref(dev_t device, ino_t directory, const char *name)
    : device(device), directory(directory), name(copy_name(name)) {}

entry_ref::entry_ref(const entry_ref &ref)
    : device(ref.device),
      directory(ref.directory),
      name(copy_name(ref.name)),
      fDirectory(ref.fDirectory) {}

entry_ref::entry_ref(entry_ref &&ref) noexcept
    : device(ref.device),
      directory(ref.directory),
      name(std::exchange(ref.name, nullptr)),
      fDirectory(std::move(ref.fDirectory)) {}

entry_ref::~entry_ref() {
    delete[] name;
}

entry_ref &entry_ref::operator=(const entry_ref &ref) {
    if (this == &ref)
        return *this;
    device = ref.device;
    directory = ref.directory;
    set_name(ref.name);
    fDirectory = ref.fDirectory;
    return *this;
}

entry_ref &entry_ref::operator=(entry_ref &&ref) noexcept {
    if (this == &ref)
        return *this;
    device = ref.device;
    directory = ref.directory;
    delete[] name;
    name = std::exchange(ref.name, nullptr);
    fDirectory = std::move(ref.fDirectory);
    return *this;
}

status_t entry_ref::set_name(const char *newName) {
    char *copy = copy_name(newName);
    if (newName != nullptr && copy == nullptr)
        return B_NO_MEMORY;
    delete[] name;
    name = copy;
    return B_OK;
}

bool entry_ref::operator==(const entry_ref &ref) const {
    if (device != ref.device || directory != ref.directory)
        return false;
    if (name == nullptr || ref.name == nullptr)
        return name == ref.name;
    return std::strcmp(name, ref.name) == 0;
}

bool operator<(const entry_ref &a, const entry_ref &b) {
    if (std::tie(a.device, a.directory) != std::tie(b.device, b.directory))
        return std::tie(a.device, a.directory) < std::tie(b.device, b.directory);
    if (a.name == nullptr || b.name == nullptr)
        return a.name == nullptr && b.name != nullptr;
    return std::strcmp(a.name, b.name) < 0;
}

status_t get_ref_for_path(const char *path, entry_ref *ref) {
    if (ref == nullptr)
        return B_BAD_VALUE;
    BEntry entry(path);
    if (entry.InitCheck() != B_OK)
        return entry.InitCheck();
    return entry.GetRef(ref);
}
