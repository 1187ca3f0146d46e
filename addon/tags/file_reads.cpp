#include "tags/file_reads.h"

#include <SystemIo.h>

bool read_exactly_at(int fd, off_t offset, size_t length, std::string *bytes) {
    bytes->resize(length);
    return brindle::read_all_at(fd, &(*bytes)[0], length, offset) == static_cast<ssize_t>(length);
}

bool read_exactly_at(BFile &file, off_t offset, void *buffer, size_t length) {
    size_t done = 0;
    while (done < length) {
        ssize_t count = file.ReadAt(offset + static_cast<off_t>(done),
                                    static_cast<char *>(buffer) + done, length - done);
        if (count <= 0)
            return false;
        done += static_cast<size_t>(count);
    }
    return true;
}
