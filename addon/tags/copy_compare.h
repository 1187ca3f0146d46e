// Comparing a copy built by copy_writer (tags/copy_writer.h) with its original, for the
// checkers of each format: a run the writer copied verbatim is held to its place, anything
// else is read from both files and compared.
#ifndef BRINDLE_TAGS_COPY_COMPARE_H
#define BRINDLE_TAGS_COPY_COMPARE_H

#include <sys/types.h>

#include <string>

class copy_writer;

// Reads `length` bytes at `offset` into `bytes`; false when fewer are there.
bool read_exactly_at(int fd, off_t offset, size_t length, std::string *bytes);

// True when the copy's [at, at + length) holds the original's [from, from + length).
bool copy_holds(int sourceFd, int copyFd, const copy_writer &writer, off_t from, off_t length,
                off_t at);

#endif  // BRINDLE_TAGS_COPY_COMPARE_H
