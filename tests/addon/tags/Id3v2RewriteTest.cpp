// A tag that must grow: the file is replaced whole, never left half-written, and a file with
// other hard links is not replaced. Real faults: a file size limit and SIGKILL mid-write.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <string>

#include <File.h>

#include "Id3v2Files.h"
#include "TagsTestSupport.h"
#include "tags/id3v2/id3v2.h"
#include "tags/safe_rewrite.h"

using namespace tags_test;
using test_support::directory_entries;
using test_support::getfattr_all;
using test_support::id3v2_tag;
using test_support::id3v2_text_frame;
using test_support::mutagen_read;
using test_support::typed_value;

namespace {

const std::string kLongTitle(300, 'L');

status_t write_title(const std::string &path, const char *title, node_ref *replacement = nullptr) {
    BFile file(path.c_str(), B_READ_WRITE);
    id3v2_changes changes;
    changes.title = title;
    bool replaced;
    node_ref made;
    status_t status = write_id3v2_fields(file, changes, &replaced, &made);
    if (replacement != nullptr)
        *replacement = made;
    return status;
}

class Id3v2Rewrite : public testing::Test {
protected:
    void SetUp() override {
        fPath = fDir / "song.mp3";
        make_mp3(fPath);
        // Taggers pad their tags; this one, built by hand, has no room at all.
        fTag =
            id3v2_tag(3, id3v2_text_frame(3, "TIT2", "Old") +
                             id3v2_text_frame(3, "TXXX", std::string("REPLAYGAIN", 11) + "-6 dB"));
        fOld = fTag + read_file(fPath);
        write_file(fPath, fOld);
    }

    struct stat Stat(const std::string &path) {
        struct stat st = {};
        EXPECT_EQ(0, stat(path.c_str(), &st));
        return st;
    }

    TempDir fDir;
    std::string fPath;
    std::string fTag;
    std::string fOld;
};

TEST_F(Id3v2Rewrite, GrowingTagReplacesTheFileWithItsAttributesModeAndOwner) {
    ASSERT_TRUE(setfattr(fPath, "user.haiku.Audio:Title", typed_value('CSTR', "Old")));
    ASSERT_TRUE(setfattr(fPath, "user.baloo.rating", "6"));
    ASSERT_EQ(0, chmod(fPath.c_str(), 0640));
    ASSERT_EQ(0, chown(fPath.c_str(), 65534, 65534));
    auto attributes = getfattr_all(fPath);
    ino_t oldInode = Stat(fPath).st_ino;

    node_ref replacement;
    ASSERT_EQ(B_OK, write_title(fPath, kLongTitle.c_str(), &replacement));

    struct stat st = Stat(fPath);
    EXPECT_NE(oldInode, st.st_ino);
    EXPECT_EQ(node_ref(st.st_dev, st.st_ino), replacement);
    EXPECT_EQ(0640u, st.st_mode & 07777);
    EXPECT_EQ(65534u, st.st_uid);
    EXPECT_EQ(65534u, st.st_gid);
    EXPECT_EQ(attributes, getfattr_all(fPath));
    auto tag = mutagen_read(fPath);
    EXPECT_EQ("2.3.0", tag["version"]);
    EXPECT_EQ(kLongTitle, tag["TIT2"]);
    EXPECT_EQ("-6 dB", tag["TXXX:REPLAYGAIN"]);
    std::string now = read_file(fPath);
    EXPECT_EQ(fOld.substr(fTag.size()), now.substr(now.size() - (fOld.size() - fTag.size())));
    EXPECT_EQ(std::set<std::string>{"song.mp3"}, directory_entries(fDir.Path()));
}

TEST_F(Id3v2Rewrite, TextsTheTagAlreadyHoldsRewriteNothing) {
    ino_t inode = Stat(fPath).st_ino;
    ASSERT_EQ(B_OK, write_title(fPath, "Old"));
    EXPECT_EQ(inode, Stat(fPath).st_ino);
    EXPECT_EQ(fOld, read_file(fPath));
}

TEST_F(Id3v2Rewrite, ThroughASymbolicLinkTheRealFileIsReplacedInItsDirectory) {
    std::string real = fDir / "music";
    ASSERT_EQ(0, mkdir(real.c_str(), 0755));
    ASSERT_EQ(0, rename(fPath.c_str(), (real + "/song.mp3").c_str()));
    ASSERT_EQ(0, symlink("music/song.mp3", fPath.c_str()));

    ASSERT_EQ(B_OK, write_title(fPath, kLongTitle.c_str()));

    struct stat link = {};
    ASSERT_EQ(0, lstat(fPath.c_str(), &link));
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    EXPECT_EQ(kLongTitle, mutagen_read(real + "/song.mp3")["TIT2"]);
    EXPECT_EQ((std::set<std::string>{"music", "song.mp3"}), directory_entries(fDir.Path()));
    EXPECT_EQ(std::set<std::string>{"song.mp3"}, directory_entries(real));
}

TEST_F(Id3v2Rewrite, HardLinkedFileIsWrittenOnlyInPlace) {
    std::string other = fDir / "other.mp3";
    ASSERT_EQ(0, link(fPath.c_str(), other.c_str()));
    EXPECT_EQ(REWRITE_HARD_LINKED, write_title(fPath, kLongTitle.c_str()));
    EXPECT_EQ(fOld, read_file(fPath));
    EXPECT_EQ(2u, Stat(fPath).st_nlink);

    // A title that fits the old one's room changes both names' file.
    ASSERT_EQ(B_OK, write_title(fPath, "New"));
    EXPECT_EQ("New", mutagen_read(other)["TIT2"]);
}

// A write cut short by a file size limit, at the start, in the tag, mid-audio and at the last
// byte: reported, the old file whole, nothing left beside it.
TEST_F(Id3v2Rewrite, RewriteCutShortByASizeLimitLeavesTheOldFileWhole) {
    for (rlim_t limit :
         {rlim_t(0), rlim_t(100), rlim_t(fOld.size() / 2), rlim_t(fOld.size() + 300)}) {
        int status = run_in_child([&]() {
            signal(SIGXFSZ, SIG_IGN);
            struct rlimit rl = {limit, limit};
            if (setrlimit(RLIMIT_FSIZE, &rl) != 0)
                return 2;
            return write_title(fPath, kLongTitle.c_str()) == B_DEVICE_FULL ? 0 : 1;
        });
        EXPECT_EQ(0, status) << "limit " << limit;
        EXPECT_EQ(fOld, read_file(fPath)) << "limit " << limit;
        EXPECT_EQ(std::set<std::string>{"song.mp3"}, directory_entries(fDir.Path()))
            << "limit " << limit;
    }
}

TEST_F(Id3v2Rewrite, KilledRewriteLeavesTheOldFileOrTheNewOne) {
    // Megabytes to copy, so the kills land all over the rewrite.
    std::string audio = fOld.substr(fTag.size());
    while (audio.size() < (4u << 20))
        audio += audio;
    fOld = fTag + audio;
    std::string reference = fDir / "reference.mp3";
    write_file(reference, fOld);
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(B_OK, write_title(reference, kLongTitle.c_str()));
    auto span = std::chrono::duration_cast<std::chrono::microseconds>(
                    std::chrono::steady_clock::now() - start)
                    .count();
    const std::string fNew = read_file(reference);
    unlink(reference.c_str());

    std::mt19937 random(12);
    int oldSeen = 0, newSeen = 0;
    for (int round = 0; round < 20; round++) {
        write_file(fPath, fOld);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            _exit(write_title(fPath, kLongTitle.c_str()) == B_OK ? 0 : 1);
        usleep(static_cast<useconds_t>(random() % (span * 3 / 2 + 1)));
        kill(child, SIGKILL);
        int status;
        ASSERT_EQ(child, waitpid(child, &status, 0));

        std::string now = read_file(fPath);
        ASSERT_TRUE(now == fOld || now == fNew) << "round " << round << ": a mixed file";
        (now == fOld ? oldSeen : newSeen)++;
        // A killed writer may leave its hidden temporary beside the file, never anything else.
        for (const std::string &name : directory_entries(fDir.Path())) {
            if (name != "song.mp3") {
                EXPECT_EQ(0u, name.rfind(".brindle-save-", 0)) << name;
                unlink((fDir / name).c_str());
            }
        }
    }
    printf("killed rewrites: %d left the old file, %d the new one\n", oldSeen, newSeen);
}

}  // namespace
