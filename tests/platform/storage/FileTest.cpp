// BFile on real files, special files and faults: no hangs, no surprises to the file's data.
#include "StorageTestSupport.h"

#include <Entry.h>
#include <Errors.h>
#include <File.h>
#include <Node.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

using namespace storage_test;

namespace {

class Files : public ::testing::Test {
protected:
    void SetUp() override {
        fPath = fDir / "song.mp3";
        write_file(fPath, std::string(1000, 'a'));
    }
    TempDir fDir;
    std::string fPath;
};

// Each open runs in a child with a guard: a blocking open shows up as kChildHung instead of
// hanging the suite.
TEST_F(Files, SpecialAndMissingEntriesFailAtOnceWithoutBlocking) {
    const std::string fifo = fDir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const std::string socketPath = fDir / "socket";
    int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ASSERT_EQ(symlink("nowhere", (fDir / "dangling").c_str()), 0);
    ASSERT_EQ(symlink(fifo.c_str(), (fDir / "link-to-fifo").c_str()), 0);

    struct Case {
        std::string path;
        uint32 mode;
        status_t expected;
    };
    const Case cases[] = {
        {fifo, B_READ_ONLY, B_BAD_TYPE},
        {fifo, B_WRITE_ONLY, B_BAD_TYPE},
        {fifo, B_READ_WRITE, B_BAD_TYPE},
        {fDir / "link-to-fifo", B_READ_WRITE, B_BAD_TYPE},
        {socketPath, B_READ_WRITE, B_BAD_TYPE},
        {"/dev/null", B_READ_ONLY, B_BAD_TYPE},
        {fDir.Path(), B_READ_ONLY, B_IS_A_DIRECTORY},
        {fDir / "dangling", B_READ_WRITE, B_ENTRY_NOT_FOUND},
        {fDir / "missing", B_READ_WRITE, B_ENTRY_NOT_FOUND},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path + " mode " + std::to_string(c.mode));
        EXPECT_EQ(status_from_child([&] { return BFile(c.path.c_str(), c.mode).InitCheck(); }),
                  c.expected);
        entry_ref ref;
        if (get_ref_for_path(c.path.c_str(), &ref) == B_OK) {
            EXPECT_EQ(status_from_child([&] { return BFile(&ref, c.mode).InitCheck(); }),
                      c.expected);
        }
    }
    // A node (attributes only) is refused for a FIFO too, equally without blocking.
    EXPECT_EQ(status_from_child([&] { return BNode(fifo.c_str()).InitCheck(); }), B_BAD_TYPE);
    EXPECT_EQ(status_from_child([&] { return BNode(fDir.Path().c_str()).InitCheck(); }), B_OK);
    close(listener);

    struct stat st;
    EXPECT_NE(lstat((fDir / "missing").c_str(), &st), 0);  // never created
    EXPECT_NE(stat((fDir / "nowhere").c_str(), &st), 0);
}

TEST_F(Files, OpeningNeverCreatesOrEmptiesUnlessAsked) {
    {
        BFile file(fPath.c_str(), B_READ_WRITE);
        ASSERT_EQ(file.InitCheck(), B_OK);
        EXPECT_TRUE(file.IsReadable());
        EXPECT_TRUE(file.IsWritable());
    }
    EXPECT_EQ(read_file(fPath), std::string(1000, 'a'));

    EXPECT_EQ(BFile(fPath.c_str(), B_READ_ONLY | B_ERASE_FILE).InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BFile(fPath.c_str(), B_READ_WRITE | B_CREATE_FILE | B_FAIL_IF_EXISTS).InitCheck(),
              B_FILE_EXISTS);
    EXPECT_EQ(read_file(fPath), std::string(1000, 'a'));

    EXPECT_EQ(BFile(fPath.c_str(), B_READ_WRITE | B_ERASE_FILE).InitCheck(), B_OK);
    EXPECT_EQ(read_file(fPath), "");

    const std::string created = fDir / "new.mp3";
    BEntry entry(created.c_str());
    BFile file(&entry, B_WRITE_ONLY | B_CREATE_FILE);
    ASSERT_EQ(file.InitCheck(), B_OK);
    EXPECT_FALSE(file.IsReadable());
    EXPECT_EQ(file.Write("new", 3), 3);
    char byte;
    EXPECT_EQ(file.Read(&byte, 1), B_FILE_ERROR);
    EXPECT_EQ(read_file(created), "new");
}

TEST_F(Files, SeekFromTheEndThenReadAndWrite) {
    BFile file(fPath.c_str(), B_READ_WRITE);
    ASSERT_EQ(file.InitCheck(), B_OK);
    EXPECT_EQ(file.Seek(-128, SEEK_END), 872);
    EXPECT_EQ(file.Write("TAG", 3), 3);
    EXPECT_EQ(file.Position(), 875);
    EXPECT_EQ(file.Seek(-3, SEEK_CUR), 872);
    char tag[4] = {};
    EXPECT_EQ(file.Read(tag, 3), 3);
    EXPECT_STREQ(tag, "TAG");

    // Before the start: a negative status, and the position stays where it was.
    EXPECT_EQ(file.Seek(-1001, SEEK_END), B_BAD_VALUE);
    EXPECT_EQ(file.Position(), 875);
    EXPECT_EQ(file.Seek(0, 7), B_BAD_VALUE);

    EXPECT_EQ(file.Seek(0, SEEK_END), 1000);
    EXPECT_EQ(file.Write("end", 3), 3);
    EXPECT_EQ(file.Read(tag, 3), 0);  // at the end
    off_t size = 0;
    ASSERT_EQ(file.GetSize(&size), B_OK);
    EXPECT_EQ(size, 1003);

    EXPECT_EQ(file.WriteAt(0, "xy", 2), 2);
    EXPECT_EQ(file.ReadAt(872, tag, 3), 3);
    EXPECT_EQ(file.Position(), 1003);  // ReadAt and WriteAt leave it alone
    EXPECT_EQ(file.ReadAt(-1, tag, 1), B_BAD_VALUE);

    std::string expected = "xy" + std::string(870, 'a') + "TAG" + std::string(125, 'a') + "end";
    EXPECT_EQ(read_file(fPath), expected);

    // 128 bytes exactly: seeking 128 back from the end lands on position 0.
    ASSERT_EQ(file.SetSize(128), B_OK);
    EXPECT_EQ(file.Seek(-128, SEEK_END), 0);
    EXPECT_EQ(read_file(fPath).size(), 128u);
}

// The end is the file's size when the seek is made, whoever changed it since.
TEST_F(Files, SeekFromTheEndTakesTheSizeOfThatMoment) {
    BFile file(fPath.c_str(), B_READ_WRITE);
    ASSERT_EQ(file.Seek(-128, SEEK_END), 872);
    write_file(fPath, std::string(1100, 'b'));  // another writer, same file
    EXPECT_EQ(file.Seek(-128, SEEK_END), 972);
    char byte = 0;
    EXPECT_EQ(file.Read(&byte, 1), 1);
    EXPECT_EQ(byte, 'b');
    EXPECT_EQ(file.Position(), 973);
}

TEST_F(Files, OpenAtEndAppends) {
    BFile file(fPath.c_str(), B_WRITE_ONLY | B_OPEN_AT_END);
    ASSERT_EQ(file.InitCheck(), B_OK);
    EXPECT_EQ(file.Seek(0, SEEK_SET), 0);
    EXPECT_EQ(file.Write("!", 1), 1);
    EXPECT_EQ(file.Position(), 1001);
    EXPECT_EQ(read_file(fPath), std::string(1000, 'a') + "!");
}

TEST_F(Files, ReadOnlyFileOpenedForWritingByAnUnprivilegedUserIsPermissionDenied) {
    ASSERT_EQ(chmod(fDir.Path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(fPath.c_str(), 0444), 0);
    auto open_as_nobody = [&](uint32 mode) {
        return status_from_child([&] {
            if (!drop_privileges())
                return kPrivilegesNotDropped;
            return BFile(fPath.c_str(), mode).InitCheck();
        });
    };
    EXPECT_EQ(open_as_nobody(B_READ_WRITE), B_PERMISSION_DENIED);
    EXPECT_EQ(open_as_nobody(B_READ_ONLY), B_OK);
    EXPECT_EQ(read_file(fPath), std::string(1000, 'a'));
}

TEST_F(Files, ShortWriteAtAFileSizeLimitIsReportedAsItsCount) {
    int64_t written = status_from_child([&] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1010, 1010};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return static_cast<int32_t>(-1);
        BFile file(fPath.c_str(), B_READ_WRITE);
        if (file.Seek(0, SEEK_END) != 1000)
            return static_cast<int32_t>(-2);
        char block[128];
        std::memset(block, 'z', sizeof(block));
        return static_cast<int32_t>(file.Write(block, sizeof(block)));
    });
    EXPECT_EQ(written, 10);
    EXPECT_EQ(read_file(fPath), std::string(1000, 'a') + std::string(10, 'z'));
}

TEST_F(Files, OpenFileOutlivesItsRemovedEntry) {
    BFile file(fPath.c_str(), B_READ_WRITE);
    ASSERT_EQ(file.InitCheck(), B_OK);
    ASSERT_EQ(unlink(fPath.c_str()), 0);
    char byte = 0;
    EXPECT_EQ(file.ReadAt(0, &byte, 1), 1);
    EXPECT_EQ(byte, 'a');
    EXPECT_EQ(file.WriteAttr("Audio:Title", 'CSTR', 0, "x", 2), 2);
    EXPECT_EQ(BFile(fPath.c_str(), B_READ_ONLY).InitCheck(), B_ENTRY_NOT_FOUND);
}

}  // namespace
