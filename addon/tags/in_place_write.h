// Writing over a file's own bytes, for an edit that moves nothing: only the span where the new
// bytes differ from the old ones is written, in one write, and read back.
// A write that failed, or bytes that do not read back as meant, have the old bytes put back,
// so the file is left as it was as far as the disk takes them.
//
// REQUIRES: the caller holds the file's save lock (tags/file_lock.h).
#ifndef BRINDLE_TAGS_IN_PLACE_WRITE_H
#define BRINDLE_TAGS_IN_PLACE_WRITE_H

#include <sys/types.h>

#include <functional>
#include <string>

#include <SupportDefs.h>

// Writes `wanted` at `start` of the file open read-write on `fd`, where `old` (as long) is now.
// Once the span written reads back, `check` (when given) reads what it needs of the file and
// judges it. B_OK when written, or when nothing differed (nothing is written then); the host's
// error of the write, B_DEVICE_FULL for a short write; CHECK_UNREADABLE or
// CHECK_FIELD_WRONG when the span does not read back as written; else what `check` returns.
status_t write_in_place(int fd, off_t start, const std::string &old, const std::string &wanted,
                        const std::function<status_t()> &check = nullptr);

#endif  // BRINDLE_TAGS_IN_PLACE_WRITE_H
