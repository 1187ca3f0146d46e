#include <UniqueFd.h>

#include <unistd.h>

#include <cerrno>

namespace brindle {

int UniqueFd::Close() {
    if (fFd < 0)
        return 0;
    // Not retried on EINTR: Linux has closed the descriptor even then.
    const int result = close(fFd);
    fFd = -1;
    return result == 0 ? 0 : errno;
}

}  // namespace brindle
