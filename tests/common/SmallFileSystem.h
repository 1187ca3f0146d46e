// A small real file system for tests that need a full disk: an ext4 image on a loop device
// (Debian 12's tmpfs keeps no user extended attributes, which every save writes), mounted in
// a private temporary folder, and filled on request until only a given room is left.
// Mounting needs root, as CI runs the tests.
#ifndef BRINDLE_TESTS_COMMON_SMALL_FILE_SYSTEM_H
#define BRINDLE_TESTS_COMMON_SMALL_FILE_SYSTEM_H

#include <sys/types.h>

#include <string>

namespace test_support {

class SmallFileSystem {
public:
    // An ext4 file system of `bytes` (1 KiB blocks, no journal, no blocks kept for root).
    explicit SmallFileSystem(off_t bytes = 8 << 20);
    // Unmounts it and removes the image and the folders.
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;

    // "" once mounted; else why not (not root, no loop devices), for GTEST_SKIP.
    const std::string &Unavailable() const { return fUnavailable; }
    // The mount point.
    const std::string &Path() const { return fMount; }
    std::string operator/(const std::string &name) const { return fMount + "/" + name; }

    // The bytes a new file may still take.
    off_t Free() const;
    // Fills the file system (a file ".filler" in it) until `room` bytes (whole blocks of
    // 1 KiB) stay free; false when it cannot.
    bool LeaveRoom(off_t room);

private:
    std::string fFolder;  // holds the image and the mount point
    std::string fMount;
    std::string fUnavailable;
    bool fMounted = false;
};

}  // namespace test_support

#endif  // BRINDLE_TESTS_COMMON_SMALL_FILE_SYSTEM_H
