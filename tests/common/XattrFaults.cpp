#include "XattrFaults.h"

#include <sys/types.h>

#include <cerrno>

#include "NextDefinition.h"

using test_support::next_definition;

AttributeFaults &attribute_faults() {
    static AttributeFaults faults;
    return faults;
}

namespace {

bool injected(int error) {
    if (error == 0)
        return false;
    errno = error;
    return true;
}

bool read_fault() {
    return injected(attribute_faults().fail_all_with.load(std::memory_order_relaxed));
}

bool write_fault() {
    return read_fault() ||
           injected(attribute_faults().fail_writes_with.load(std::memory_order_relaxed));
}

}  // namespace

extern "C" {

ssize_t fgetxattr(int fd, const char *name, void *value, size_t size) {
    using Function = ssize_t (*)(int, const char *, void *, size_t);
    static const Function next = next_definition<Function>("fgetxattr");
    return read_fault() ? -1 : next(fd, name, value, size);
}

int fsetxattr(int fd, const char *name, const void *value, size_t size, int flags) {
    using Function = int (*)(int, const char *, const void *, size_t, int);
    static const Function next = next_definition<Function>("fsetxattr");
    return write_fault() ? -1 : next(fd, name, value, size, flags);
}

int fremovexattr(int fd, const char *name) {
    using Function = int (*)(int, const char *);
    static const Function next = next_definition<Function>("fremovexattr");
    return write_fault() ? -1 : next(fd, name);
}

}  // extern "C"
