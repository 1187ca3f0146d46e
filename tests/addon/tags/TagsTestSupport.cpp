#include "TagsTestSupport.h"

#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include <Node.h>
#include <NodeInfo.h>

namespace tags_test {

void set_file_type(const std::string &path, const char *type) {
    BNode node(path.c_str());
    BNodeInfo info(&node);
    if (info.SetType(type) != B_OK)
        throw std::runtime_error("cannot set the type of " + path);
}

CapturedStdout::CapturedStdout() {
    fflush(stdout);
    char pattern[] = "/var/tmp/brindle-stdout-XXXXXX";
    fCaptureFd = mkstemp(pattern);
    if (fCaptureFd < 0)
        throw std::runtime_error("mkstemp failed");
    unlink(pattern);
    fSavedFd = dup(STDOUT_FILENO);
    dup2(fCaptureFd, STDOUT_FILENO);
}

CapturedStdout::~CapturedStdout() {
    _Restore();
}

std::string CapturedStdout::Text() {
    _Restore();
    return fText;
}

void CapturedStdout::_Restore() {
    if (fSavedFd < 0)
        return;
    fflush(stdout);
    dup2(fSavedFd, STDOUT_FILENO);
    close(fSavedFd);
    fSavedFd = -1;
    char buffer[4096];
    ssize_t count;
    off_t offset = 0;
    while ((count = pread(fCaptureFd, buffer, sizeof(buffer), offset)) > 0) {
        fText.append(buffer, static_cast<size_t>(count));
        offset += count;
    }
    close(fCaptureFd);
}

}  // namespace tags_test
