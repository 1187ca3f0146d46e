#include "SmallFileSystem.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>

#include "TestFiles.h"

namespace test_support {

SmallFileSystem::SmallFileSystem(off_t bytes) {
    if (geteuid() != 0) {
        fUnavailable = "mounting a loop file system needs root (CI runs the tests as root)";
        return;
    }
    char folder[] = "/var/tmp/brindle-smallfs-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        fail_with_errno("mkdtemp");
    fFolder = folder;
    fMount = fFolder + "/mnt";
    const std::string image = fFolder + "/image";
    if (mkdir(fMount.c_str(), 0755) != 0)
        fail_with_errno("mkdir " + fMount);
    write_file(image, "");
    if (truncate(image.c_str(), bytes) != 0)
        fail_with_errno("truncate " + image);
    std::string output;
    if (run_command(
            "mkfs.ext4 -q -F -b 1024 -I 512 -m 0 -O ^has_journal " + shell_quote(image) + " 2>&1",
            &output) != 0) {
        fUnavailable = "mkfs.ext4 failed: " + output;
        return;
    }
    if (run_command("mount -o loop " + shell_quote(image) + " " + shell_quote(fMount) + " 2>&1",
                    &output) != 0) {
        fUnavailable = "no loop device could be mounted: " + output;
        return;
    }
    fMounted = true;
    chmod(fMount.c_str(), 0777);
}

SmallFileSystem::~SmallFileSystem() {
    if (fMounted)
        run_command("umount " + shell_quote(fMount) + " 2>/dev/null || umount -l " +
                    shell_quote(fMount));
    if (!fFolder.empty())
        run_command("rm -rf " + shell_quote(fFolder));
}

off_t SmallFileSystem::Free() const {
    struct statvfs st;
    if (statvfs(fMount.c_str(), &st) != 0)
        return -1;
    return static_cast<off_t>(st.f_bavail) * static_cast<off_t>(st.f_frsize);
}

bool SmallFileSystem::LeaveRoom(off_t room) {
    const std::string filler = *this / ".filler";
    const int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    // The file system's own blocks for the filler (its extent tree) come out of the room too:
    // a few rounds get it right.
    for (int round = 0; round < 16; round++) {
        const off_t extra = Free() - room;
        const off_t size = lseek(fd, 0, SEEK_END);
        if (extra == 0)
            break;
        if (extra < 0 ? ftruncate(fd, std::max<off_t>(0, size + extra)) != 0
                      : fallocate(fd, 0, size, extra) != 0)
            break;
    }
    close(fd);
    const off_t left = Free();
    return left == room;
}

}  // namespace test_support
