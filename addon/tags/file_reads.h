// Reading an exact number of bytes at a place in a file, for the tag readers and checkers:
// a short read (the file ends sooner, or a read fails) is no read at all.
#ifndef BRINDLE_TAGS_FILE_READS_H
#define BRINDLE_TAGS_FILE_READS_H

#include <sys/types.h>

#include <string>

#include <File.h>

// Reads `length` bytes at `offset` into `bytes`; false when fewer are there.
bool read_exactly_at(int fd, off_t offset, size_t length, std::string *bytes);

// Reads `length` bytes at `offset` of `file` into `buffer`; false when fewer are there.
bool read_exactly_at(BFile &file, off_t offset, void *buffer, size_t length);

#endif  // BRINDLE_TAGS_FILE_READS_H
