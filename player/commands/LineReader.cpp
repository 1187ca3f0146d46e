#include "LineReader.h"

#include <unistd.h>

#include <cerrno>

namespace {
const size_t kChunkSize = 64 * 1024;
}

Status LineReader::Fill() {
    if (fEnded)
        return Status();
    // Drop what was handed out before the buffer grows again.
    if (fStart > 0 && fStart * 2 >= fBuffer.size()) {
        fBuffer.erase(0, fStart);
        fStart = 0;
    }
    const size_t used = fBuffer.size();
    fBuffer.resize(used + kChunkSize);
    ssize_t count = read(fFd, &fBuffer[used], kChunkSize);
    fBuffer.resize(used + (count > 0 ? count : 0));
    if (count == 0)
        fEnded = true;
    if (count >= 0 || errno == EINTR || errno == EAGAIN)
        return Status();
    return Status::FromErrno("cannot read");
}

bool LineReader::NextLine(std::string *line) {
    const size_t end = fBuffer.find('\n', fStart);
    if (end == std::string::npos) {
        if (!fEnded || fStart >= fBuffer.size())
            return false;
        line->assign(fBuffer, fStart, std::string::npos);
        fStart = fBuffer.size();
    } else {
        line->assign(fBuffer, fStart, end - fStart);
        fStart = end + 1;
    }
    if (!line->empty() && line->back() == '\r')
        line->pop_back();
    fLineNumber++;
    return true;
}
