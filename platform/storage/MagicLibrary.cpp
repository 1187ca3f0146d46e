#include <MagicLibrary.h>

#include <Errors.h>
#include <ModuleLoader.h>
#include <Mutex.h>
#include <StorageDefs.h>

#include <magic.h>

#include <cstring>

namespace BPrivate {

namespace {

// The library, its entry points and one loaded database; all guarded by `lock`. Once
// loaded they stay for the life of the process.
struct Magic {
    brindle::Mutex lock;
    bool loadAttempted GUARDED_BY(lock) = false;
    magic_t cookie GUARDED_BY(lock) = nullptr;
    decltype(&magic_buffer) buffer GUARDED_BY(lock) = nullptr;

    bool Load() REQUIRES(lock) {
        loadAttempted = true;
        void *library = brindle::open_module("libmagic.so.1");
        if (library == nullptr)
            return false;
        auto open = brindle::module_entry<decltype(&magic_open)>(library, "magic_open");
        auto load = brindle::module_entry<decltype(&magic_load)>(library, "magic_load");
        auto close = brindle::module_entry<decltype(&magic_close)>(library, "magic_close");
        buffer = brindle::module_entry<decltype(&magic_buffer)>(library, "magic_buffer");
        if (open == nullptr || load == nullptr || close == nullptr || buffer == nullptr)
            return false;
        cookie = open(MAGIC_MIME_TYPE);
        if (cookie != nullptr && load(cookie, nullptr) != 0) {
            close(cookie);
            cookie = nullptr;
        }
        return cookie != nullptr;
    }
};

Magic &magic() {
    static Magic instance;
    return instance;
}

}  // namespace

status_t magic_identify(const void *content, size_t length, char *type) {
    Magic &m = magic();
    brindle::MutexLock guard(m.lock);
    if (!m.loadAttempted)
        m.Load();
    if (m.cookie == nullptr)
        return B_UNSUPPORTED;
    const char *result = m.buffer(m.cookie, content, length);
    if (result == nullptr || result[0] == '\0')
        return B_ERROR;
    // The answer points into the cookie: copy it while the lock is held.
    const size_t size = std::strlen(result) + 1;
    if (size > B_MIME_TYPE_LENGTH)
        return B_BAD_DATA;
    std::memcpy(type, result, size);
    return B_OK;
}

bool magic_loaded() {
    Magic &m = magic();
    brindle::MutexLock guard(m.lock);
    return m.cookie != nullptr;
}

}  // namespace BPrivate
