// Reading a file's headers (FLAC block headers, Ogg page headers) through a window of its
// bytes, so that a walk over hundreds of small headers costs a few reads, not one each. The
// first window is small, as most files' metadata is; each later one is twice as large, up to
// 64 KiB, so a walk that goes on (a file of many small blocks, an Ogg file's pages) soon reads
// in large steps.
#ifndef BRINDLE_TAGS_HEADER_READER_H
#define BRINDLE_TAGS_HEADER_READER_H

#include <sys/types.h>

#include <vector>

#include <File.h>

class header_reader {
public:
    explicit header_reader(int fd) : fFd(fd) {}
    explicit header_reader(BFile &file) : fFile(&file) {}
    header_reader(const header_reader &) = delete;
    header_reader &operator=(const header_reader &) = delete;

    // Copies up to `length` bytes at `offset` into `out`: the count, fewer only where the file
    // ends, or a negative status (the host's error).
    ssize_t Read(off_t offset, void *out, size_t length);

private:
    ssize_t _ReadAt(off_t offset, void *buffer, size_t length);

    int fFd = -1;
    BFile *fFile = nullptr;
    std::vector<char> fBuffer;
    off_t fStart = 0;
    size_t fHeld = 0;
    size_t fNextWindow = 4096;
};

#endif  // BRINDLE_TAGS_HEADER_READER_H
