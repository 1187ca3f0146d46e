// Test seam: makes the attribute store fail as a host without extended attributes,
// or with a full disk, would. Production code never sets it.
//
// Every call into the attribute store first loads these (relaxed atomic loads, nothing
// more), so an injected fault costs the hot path almost nothing when unset.
//
//   attribute_faults().fail_all_with.store(ENOTSUP);   // no xattr support at all
//   attribute_faults().fail_writes_with.store(ENOSPC); // reads work, writes find a full disk
//   attribute_faults().Reset();
#ifndef _ATTRIBUTE_FAULTS_H
#define _ATTRIBUTE_FAULTS_H

#include <atomic>

struct AttributeFaults {
    // A host errno every attribute read, write, removal and query fails with (0: none).
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

#endif  // _ATTRIBUTE_FAULTS_H
