#include <SystemIo.h>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace brindle {

namespace {

// Hands the bytes to `step` (a write or a send) until it has taken them all.
template <typename Step>
int put_all(const char *data, size_t size, Step step) {
    while (size > 0) {
        const ssize_t count = retry_on_eintr([&] { return step(data, size); });
        if (count < 0)
            return -1;
        if (count == 0) {
            errno = EIO;
            return -1;
        }
        data += count;
        size -= static_cast<size_t>(count);
    }
    return 0;
}

// Takes bytes from `step` (a read or a pread at an offset) until there are `size` or none come.
template <typename Step>
ssize_t get_all(char *data, size_t size, Step step) {
    size_t done = 0;
    while (done < size) {
        const ssize_t count = retry_on_eintr([&] { return step(data + done, size - done, done); });
        if (count < 0)
            return -1;
        if (count == 0)
            break;
        done += static_cast<size_t>(count);
    }
    return static_cast<ssize_t>(done);
}

}  // namespace

int write_all(int fd, const void *data, size_t size) {
    return put_all(static_cast<const char *>(data), size, [fd](const char *from, size_t left) {
        ssize_t count = write(fd, from, left);
        if (count < 0 && errno == EAGAIN) {
            struct pollfd out = {fd, POLLOUT, 0};
            if (retry_on_eintr([&] { return poll(&out, 1, -1); }) < 0)
                return static_cast<ssize_t>(-1);
            errno = EINTR;  // try again
        }
        return count;
    });
}

int send_all(int fd, const void *data, size_t size) {
    return put_all(static_cast<const char *>(data), size, [fd](const char *from, size_t left) {
        return send(fd, from, left, MSG_NOSIGNAL);
    });
}

ssize_t read_all(int fd, void *data, size_t size) {
    return get_all(static_cast<char *>(data), size,
                   [fd](char *to, size_t left, size_t) { return read(fd, to, left); });
}

ssize_t read_all_at(int fd, void *data, size_t size, off_t offset) {
    return get_all(static_cast<char *>(data), size,
                   [fd, offset](char *to, size_t left, size_t done) {
                       return pread(fd, to, left, offset + static_cast<off_t>(done));
                   });
}

}  // namespace brindle
