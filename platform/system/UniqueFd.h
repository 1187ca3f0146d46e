// A descriptor closed at the end of its scope unless released. Not Be API: the kits, the
// player and the add-on share it.
#ifndef BRINDLE_SYSTEM_UNIQUE_FD_H
#define BRINDLE_SYSTEM_UNIQUE_FD_H

#include <utility>

namespace brindle {

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fFd(fd) {}
    ~UniqueFd() { Close(); }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    UniqueFd(UniqueFd &&other) noexcept : fFd(other.Release()) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    int Get() const { return fFd; }
    bool IsOpen() const { return fFd >= 0; }
    int Release() { return std::exchange(fFd, -1); }
    // Closes the one held (if any) and holds `fd`.
    void Reset(int fd = -1) {
        Close();
        fFd = fd;
    }
    // Closes now: 0, or the close's own errno (NFS reports write errors here).
    int Close();

private:
    int fFd;
};

}  // namespace brindle

#endif  // BRINDLE_SYSTEM_UNIQUE_FD_H
