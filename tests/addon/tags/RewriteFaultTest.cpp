// Replacing a file by a complete copy: what the copy keeps and what the faults around it (a
// second writer, a kill, another uid, a folder's default ACL, file flags) can never take.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <File.h>

#include "TagsTestSupport.h"
#include "tags/safe_rewrite.h"

using namespace tags_test;
using test_support::getfattr_all;

namespace {

class RewriteFault : public testing::Test {
protected:
    void SetUp() override {
        fPath = fDir / "song.flac";
        fOld = std::string("fLaC") + std::string(100000, 'a') + "END";
        write_file(fPath, fOld);
    }

    ino_t Inode() {
        struct stat st = {};
        EXPECT_EQ(0, stat(fPath.c_str(), &st));
        return st.st_ino;
    }

    TempDir fDir;
    std::string fPath;
    std::string fOld;
};

TEST_F(RewriteFault, CopyBesideIsEditedThroughItsPathAndReplacesTheFile) {
    ASSERT_TRUE(setfattr_value(fPath, "user.baloo.rating", "6"));
    ASSERT_EQ(0, chmod(fPath.c_str(), 0640));
    auto attributes = getfattr_all(fPath);
    ino_t oldInode = Inode();

    BFile file(fPath.c_str(), B_READ_WRITE);
    node_ref replacement;
    status_t status = rewrite_file_copy(
        file,
        [&](const char *copyPath, int copyFd) {
            // A library that opens the path itself, as TagLib does, and one that uses the fd.
            int fd = open(copyPath, O_WRONLY);
            bool ok = fd >= 0 && pwrite(fd, "EDIT", 4, 4) == 4 && close(fd) == 0;
            ok = ok && write(copyFd, "+", 1) == 1;
            return ok ? B_OK : B_IO_ERROR;
        },
        &replacement);
    ASSERT_EQ(B_OK, status);

    struct stat st = {};
    ASSERT_EQ(0, stat(fPath.c_str(), &st));
    EXPECT_NE(oldInode, st.st_ino);
    EXPECT_EQ(node_ref(st.st_dev, st.st_ino), replacement);
    EXPECT_EQ(0640u, st.st_mode & 07777);
    EXPECT_EQ(attributes, getfattr_all(fPath));
    std::string expected = fOld;
    expected.replace(4, 4, "EDIT");
    EXPECT_EQ(expected + "+", read_file(fPath));

    // An edit that fails leaves the file as it was and nothing beside it.
    BFile again(fPath.c_str(), B_READ_WRITE);
    EXPECT_EQ(B_BAD_DATA, rewrite_file_copy(
                              again, [](const char *, int) { return B_BAD_DATA; }, nullptr));
    EXPECT_EQ(expected + "+", read_file(fPath));
    EXPECT_EQ(1, run_command("ls -A " + shell_quote(fDir.Path()) + " | grep -vc '^song.flac$'"));
}

}  // namespace
