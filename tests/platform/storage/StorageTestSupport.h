// Shared helpers for the storage kit's tests: a real temporary directory on a file system
// with user extended attributes, the attr tools as independent readers and writers, child
// processes for faults (privileges, file size limits) and hangs, and real MP3 files.
#ifndef BRINDLE_TESTS_PLATFORM_STORAGE_STORAGE_TEST_SUPPORT_H
#define BRINDLE_TESTS_PLATFORM_STORAGE_STORAGE_TEST_SUPPORT_H

#include <cstdint>
#include <functional>
#include <string>

#include "AudioFiles.h"
#include "ChildProcess.h"
#include "TestFiles.h"

namespace storage_test {

using test_support::drop_privileges;
using test_support::getfattr_all;
using test_support::have_lame;
using test_support::read_file;
using test_support::run_command;
using test_support::run_in_child;
using test_support::setfattr;
using test_support::shell_quote;
using test_support::typed_value;
using test_support::write_file;

using test_support::make_mp3;
using test_support::TempDir;

// Runs `body` as run_in_child() does and returns the status it returned, or kChildHung when
// the guard had to kill it, kChildFailed when it died otherwise.
const int64_t kChildHung = INT64_C(1) << 40;
const int64_t kChildFailed = (INT64_C(1) << 40) + 1;
int64_t status_from_child(const std::function<int32_t()> &body, unsigned guardSeconds = 20);

// What a child body returns when drop_privileges() failed (no status has this value).
const int32_t kPrivilegesNotDropped = 0x7ead;

}  // namespace storage_test

#endif  // BRINDLE_TESTS_PLATFORM_STORAGE_STORAGE_TEST_SUPPORT_H
