// Test seam: faults in the host's file calls around a save, for the binaries that link
// file_fault_support alone. Such a binary defines write, pwrite, copy_file_range, fsync,
// renameat and renameat2, which take the place of the C library's for the platform library
// and the add-on's code too, and pass every call through while no fault is set.
//
//   file_faults().writesBeforeKill = 100;                   // dies at the 101st byte written
//   file_faults().beforeRename = [] { kill(getpid(), SIGKILL); };
//
// Not thread-safe: a test sets the faults and then runs the save on its own thread, or in
// a child process (run_in_child) that dies by them.
#ifndef BRINDLE_TESTS_COMMON_FILE_FAULTS_H
#define BRINDLE_TESTS_COMMON_FILE_FAULTS_H

#include <functional>

struct FileFaults {
    // Bytes the process may still write (write, pwrite, copy_file_range: a copy the kernel
    // makes counts too) before it kills itself, after writing what was left; -1: no limit.
    long long writesBeforeKill = -1;
    // Each run once, just before or just after the next rename (renameat, renameat2).
    std::function<void()> beforeRename;
    std::function<void()> afterRename;
    // renameat2 fails with EINVAL, as on a file system that cannot swap two names.
    bool noRenameExchange = false;
    // The next write to an unnamed file (a copy before it is named) stores its first byte
    // changed, and says it wrote everything.
    bool corruptCopyWrite = false;
    // Run once with the copy's descriptor, just before the next flush of an unnamed file.
    std::function<void(int fd)> beforeCopyFlush;

    void Reset() { *this = FileFaults(); }
};

// The one process-wide set of injected faults.
FileFaults &file_faults();

#endif  // BRINDLE_TESTS_COMMON_FILE_FAULTS_H
