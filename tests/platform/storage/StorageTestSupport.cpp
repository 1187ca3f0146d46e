#include "StorageTestSupport.h"

#include <signal.h>
#include <sys/mman.h>

namespace storage_test {

int64_t status_from_child(const std::function<int32_t()> &body, unsigned guardSeconds) {
    void *shared =
        mmap(nullptr, sizeof(int32_t), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED)
        return kChildFailed;
    auto *slot = static_cast<int32_t *>(shared);
    int exitCode = run_in_child(
        [&] {
            *slot = body();
            return 0;
        },
        guardSeconds);
    int64_t result = exitCode == 0 ? *slot : exitCode == 128 + SIGALRM ? kChildHung : kChildFailed;
    munmap(shared, sizeof(int32_t));
    return result;
}

}  // namespace storage_test
