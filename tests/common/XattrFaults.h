// Test seam: makes the host's extended-attribute calls fail as a file system without
// extended attributes, or a full disk, would. It lives in the tests alone: the test binary
// defines fgetxattr, fsetxattr and fremovexattr, which take the place of the C library's
// for the platform library too, and pass every call through while no fault is set.
//
//   attribute_faults().fail_all_with.store(ENOTSUP);   // no xattr support at all
//   attribute_faults().fail_writes_with.store(ENOSPC); // reads work, writes find a full disk
//   attribute_faults().Reset();
#ifndef BRINDLE_TESTS_COMMON_XATTR_FAULTS_H
#define BRINDLE_TESTS_COMMON_XATTR_FAULTS_H

#include <atomic>

struct AttributeFaults {
    // A host errno every attribute read, write and removal fails with (0: none).
    std::atomic<int> fail_all_with{0};
    // A host errno every attribute write and removal fails with (0: none).
    std::atomic<int> fail_writes_with{0};

    void Reset() {
        fail_all_with.store(0);
        fail_writes_with.store(0);
    }
};

// The one process-wide set of injected faults.
AttributeFaults &attribute_faults();

#endif  // BRINDLE_TESTS_COMMON_XATTR_FAULTS_H
