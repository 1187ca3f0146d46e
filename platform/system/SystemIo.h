// Reading and writing whole buffers, and system calls a signal may interrupt, with EINTR
// handled here once. Not Be API: the kits, the player and the add-on share it.
#ifndef BRINDLE_SYSTEM_SYSTEM_IO_H
#define BRINDLE_SYSTEM_SYSTEM_IO_H

#include <sys/types.h>

#include <cerrno>
#include <cstddef>

namespace brindle {

// Calls `call` again for as long as it fails with EINTR; its last result, errno as it left it.
// For calls that fail with -1 (or any negative result).
template <typename Call>
auto retry_on_eintr(Call call) -> decltype(call()) {
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

// Writes all `size` bytes, waiting while a non-blocking descriptor is full. 0, or -1 with
// errno set (EIO when the descriptor took nothing without saying why).
int write_all(int fd, const void *data, size_t size);

// The same on a socket, without SIGPIPE when the peer has gone (EPIPE instead). A send
// timeout (SO_SNDTIMEO) ends it with EAGAIN.
int send_all(int fd, const void *data, size_t size);

// Reads until `size` bytes are in or the input ends: the count (short only at the end), or
// -1 with errno set (EAGAIN when a receive timeout or a non-blocking descriptor stops it).
ssize_t read_all(int fd, void *data, size_t size);

// The same from `offset` on, leaving the descriptor's position where it is.
ssize_t read_all_at(int fd, void *data, size_t size, off_t offset);

}  // namespace brindle

#endif  // BRINDLE_SYSTEM_SYSTEM_IO_H
