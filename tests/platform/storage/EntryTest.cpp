// entry_ref and BEntry on real directories, links and paths.
#include "StorageTestSupport.h"

#include <Entry.h>
#include <Errors.h>
#include <File.h>
#include <Node.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

using namespace storage_test;

namespace {

struct stat stat_of(const std::string &path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st;
}

entry_ref ref_of(const std::string &path, bool traverse = false) {
    entry_ref ref;
    BEntry entry(path.c_str(), traverse);
    EXPECT_EQ(entry.InitCheck(), B_OK) << path;
    EXPECT_EQ(entry.GetRef(&ref), B_OK) << path;
    return ref;
}

// What the file a ref names holds, read through the ref.
std::string read_node(const entry_ref &ref) {
    BFile file(&ref, B_READ_ONLY);
    char content[64] = {};
    const ssize_t count = file.Read(content, sizeof(content) - 1);
    return count < 0 ? "error " + std::to_string(count) : std::string(content, count);
}

// Restores the current directory a test changes.
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() { EXPECT_NE(getcwd(fSaved, sizeof(fSaved)), nullptr); }
    ~CurrentDirectoryGuard() { EXPECT_EQ(chdir(fSaved), 0); }

private:
    char fSaved[PATH_MAX];
};

class Entries : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(mkdir((fDir / "albums").c_str(), 0755), 0);
        write_file(fDir / "albums/song.mp3", "data");
    }
    TempDir fDir;
};

TEST_F(Entries, MissingLeafInAnExistingDirectoryIsAValidAbstractEntry) {
    BEntry entry((fDir / "albums/not-yet.mp3").c_str());
    ASSERT_EQ(entry.InitCheck(), B_OK);
    EXPECT_FALSE(entry.Exists());
    entry_ref ref;
    ASSERT_EQ(entry.GetRef(&ref), B_OK);
    const struct stat directory = stat_of(fDir / "albums");
    EXPECT_EQ(ref.device, directory.st_dev);
    EXPECT_EQ(ref.directory, directory.st_ino);
    EXPECT_STREQ(ref.name, "not-yet.mp3");

    EXPECT_TRUE(BEntry((fDir / "albums/song.mp3").c_str()).Exists());
}

TEST_F(Entries, PathWhoseDirectoryIsMissingOrNotADirectoryFails) {
    EXPECT_EQ(BEntry((fDir / "gone/song.mp3").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(BEntry((fDir / "albums/song.mp3/x").c_str()).InitCheck(), B_NOT_A_DIRECTORY);
    EXPECT_EQ(BEntry("").InitCheck(), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(BEntry(static_cast<const char *>(nullptr)).InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BEntry((fDir / std::string(256, 'n')).c_str()).InitCheck(), B_NAME_TOO_LONG);
    entry_ref ref;
    EXPECT_EQ(BEntry().GetRef(&ref), B_NO_INIT);
}

TEST_F(Entries, FinalSymlinkIsTheEntryUnlessTraversed) {
    ASSERT_EQ(symlink("albums/song.mp3", (fDir / "link").c_str()), 0);
    ASSERT_EQ(symlink("link", (fDir / "link-to-link").c_str()), 0);

    entry_ref itself = ref_of(fDir / "link-to-link");
    EXPECT_STREQ(itself.name, "link-to-link");
    EXPECT_EQ(itself.directory, stat_of(fDir.Path()).st_ino);

    entry_ref target = ref_of(fDir / "link-to-link", true);
    EXPECT_EQ(target, ref_of(fDir / "albums/song.mp3"));

    BEntry fromRef(&itself, true);
    entry_ref followed;
    ASSERT_EQ(fromRef.GetRef(&followed), B_OK);
    EXPECT_EQ(followed, target);
}

TEST_F(Entries, DanglingAndLoopingLinks) {
    ASSERT_EQ(symlink("albums/missing.mp3", (fDir / "dangling").c_str()), 0);
    BEntry dangling((fDir / "dangling").c_str());
    EXPECT_TRUE(dangling.Exists());  // the link itself is there
    BEntry followed((fDir / "dangling").c_str(), true);
    ASSERT_EQ(followed.InitCheck(), B_OK);  // an abstract entry for what it points at
    EXPECT_FALSE(followed.Exists());
    BString path;
    ASSERT_EQ(followed.GetPath(&path), B_OK);
    EXPECT_EQ(std::string(path.String()), fDir / "albums/missing.mp3");

    ASSERT_EQ(symlink("loop-b", (fDir / "loop-a").c_str()), 0);
    ASSERT_EQ(symlink("loop-a", (fDir / "loop-b").c_str()), 0);
    EXPECT_EQ(BEntry((fDir / "loop-a").c_str(), true).InitCheck(), B_LINK_LIMIT);
    EXPECT_EQ(BEntry((fDir / "loop-a").c_str()).InitCheck(), B_OK);
}

TEST_F(Entries, RefsCompareByDeviceDirectoryAndName) {
    entry_ref plain = ref_of(fDir / "albums/song.mp3");
    EXPECT_EQ(plain, ref_of(fDir / "albums/./song.mp3"));
    EXPECT_EQ(plain, ref_of(fDir / "albums/../albums/song.mp3"));
    EXPECT_NE(plain, ref_of(fDir / "albums/other.mp3"));
    EXPECT_NE(plain, ref_of(fDir / "song.mp3"));

    // The remembered path is not part of the identity.
    entry_ref fromNumbers(plain.device, plain.directory, "song.mp3");
    EXPECT_EQ(plain, fromNumbers);

    entry_ref copy(plain);
    entry_ref assigned;
    EXPECT_NE(assigned, plain);
    assigned = plain;
    EXPECT_EQ(copy, plain);
    EXPECT_EQ(assigned, plain);
    EXPECT_NE(copy.name, plain.name);  // a copy owns its own name
    ASSERT_EQ(copy.set_name("renamed.mp3"), B_OK);
    EXPECT_NE(copy, plain);
    EXPECT_STREQ(plain.name, "song.mp3");
    EXPECT_TRUE(plain < copy || copy < plain);

    EXPECT_EQ(entry_ref(), entry_ref());
}

TEST_F(Entries, RelativePathIsTakenFromTheCurrentDirectoryWhenMade) {
    entry_ref ref;
    {
        CurrentDirectoryGuard guard;
        ASSERT_EQ(chdir((fDir / "albums").c_str()), 0);
        ASSERT_EQ(get_ref_for_path("song.mp3", &ref), B_OK);
        ASSERT_EQ(chdir("/"), 0);
        EXPECT_EQ(std::string(ref.Path().String()), fDir / "albums/song.mp3");
        BNode node(&ref);  // still the same file from elsewhere
        EXPECT_EQ(node.InitCheck(), B_OK);
    }
    EXPECT_EQ(ref, ref_of(fDir / "albums/song.mp3"));
}

TEST_F(Entries, DotNamesAndTheRootResolveToRealEntries) {
    entry_ref self = ref_of(fDir / "albums/.");
    EXPECT_STREQ(self.name, "albums");
    EXPECT_EQ(self.directory, stat_of(fDir.Path()).st_ino);
    EXPECT_EQ(ref_of(fDir / "albums/.."), ref_of(fDir.Path()));
    EXPECT_EQ(ref_of(fDir / "albums/"), self);

    BEntry root("/");
    ASSERT_EQ(root.InitCheck(), B_OK);
    EXPECT_TRUE(root.Exists());
    BString path;
    ASSERT_EQ(root.GetPath(&path), B_OK);
    EXPECT_STREQ(path.String(), "/");
    char name[B_FILE_NAME_LENGTH];
    ASSERT_EQ(BEntry((fDir / "albums/song.mp3").c_str()).GetName(name), B_OK);
    EXPECT_STREQ(name, "song.mp3");
}

// A ref holds its directory: it keeps naming its file when the directory is renamed, and
// never reaches a directory that has since taken the old path.
TEST_F(Entries, RefFollowsItsDirectoryWhenItIsRenamed) {
    entry_ref ref = ref_of(fDir / "albums/song.mp3");
    ASSERT_EQ(rename((fDir / "albums").c_str(), (fDir / "moved").c_str()), 0);
    ASSERT_EQ(mkdir((fDir / "albums").c_str(), 0755), 0);
    write_file(fDir / "albums/song.mp3", "someone else's");

    BFile file(&ref, B_READ_ONLY);
    char content[8] = {};
    ASSERT_EQ(file.Read(content, sizeof(content)), 4);
    EXPECT_STREQ(content, "data");
    node_ref node;
    ASSERT_EQ(file.GetNodeRef(&node), B_OK);
    EXPECT_EQ(node.node, stat_of(fDir / "moved/song.mp3").st_ino);
    EXPECT_EQ(std::string(ref.Path().String()), fDir / "moved/song.mp3");
    BString path;
    ASSERT_EQ(BEntry(&ref).GetPath(&path), B_OK);
    EXPECT_EQ(std::string(path.String()), fDir / "moved/song.mp3");
    EXPECT_EQ(ref, ref_of(fDir / "moved/song.mp3"));
    // The same path, looked up again while the first ref still holds its folder, leads to
    // the folder that has the name now.
    entry_ref again = ref_of(fDir / "albums/song.mp3");
    EXPECT_EQ(again.directory, stat_of(fDir / "albums").st_ino);
    EXPECT_EQ(read_node(again), "someone else's");

    // A safe rewrite beside the file goes into the same directory.
    entry_ref beside(ref);
    ASSERT_EQ(beside.set_name("song.mp3.new"), B_OK);
    EXPECT_EQ(BFile(&beside, B_WRITE_ONLY | B_CREATE_FILE | B_FAIL_IF_EXISTS).InitCheck(), B_OK);
    EXPECT_EQ(BFile(&beside, B_WRITE_ONLY | B_CREATE_FILE | B_FAIL_IF_EXISTS).InitCheck(),
              B_FILE_EXISTS);
    EXPECT_EQ(read_file(fDir / "moved/song.mp3.new"), "");

    // Numbers alone, or numbers changed by hand, open nothing.
    entry_ref numbersOnly(ref.device, ref.directory, ref.name);
    EXPECT_EQ(BNode(&numbersOnly).InitCheck(), B_ENTRY_NOT_FOUND);
    entry_ref altered(ref);
    altered.directory = stat_of(fDir / "albums").st_ino;
    EXPECT_EQ(BNode(&altered).InitCheck(), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(BEntry(&altered).InitCheck(), B_ENTRY_NOT_FOUND);
}

TEST_F(Entries, RefWhoseDirectoryWasRemovedOpensNothing) {
    entry_ref ref = ref_of(fDir / "albums/song.mp3");
    ASSERT_EQ(unlink((fDir / "albums/song.mp3").c_str()), 0);
    ASSERT_EQ(rmdir((fDir / "albums").c_str()), 0);
    EXPECT_EQ(BNode(&ref).InitCheck(), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(BFile(&ref, B_READ_WRITE | B_CREATE_FILE).InitCheck(), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(BEntry(&ref).InitCheck(), B_ENTRY_NOT_FOUND);
    EXPECT_STREQ(ref.Path().String(), "");
}

TEST_F(Entries, PathOfPathMaxBytesOrMoreFailsCleanly) {
    // Directories that all exist, each name short, the whole path longer than PATH_MAX:
    // made level by level through descriptors, as no single path can name them.
    const std::string level(200, 'd');
    std::vector<int> levels{open(fDir.Path().c_str(), O_PATH | O_DIRECTORY)};
    std::string path = fDir.Path();
    while (path.size() <= PATH_MAX) {
        ASSERT_EQ(mkdirat(levels.back(), level.c_str(), 0755), 0);
        levels.push_back(openat(levels.back(), level.c_str(), O_PATH | O_DIRECTORY));
        ASSERT_GE(levels.back(), 0);
        path += "/" + level;
    }
    write_file("/proc/self/fd/" + std::to_string(levels.back()) + "/song.mp3", "data");
    path += "/song.mp3";

    EXPECT_EQ(BEntry(path.c_str()).InitCheck(), B_NAME_TOO_LONG);
    entry_ref ref;
    EXPECT_EQ(get_ref_for_path(path.c_str(), &ref), B_NAME_TOO_LONG);
    EXPECT_EQ(BFile(path.c_str(), B_READ_ONLY).InitCheck(), B_NAME_TOO_LONG);

    ASSERT_EQ(unlinkat(levels.back(), "song.mp3", 0), 0);
    for (size_t i = levels.size() - 1; i > 0; --i) {
        close(levels[i]);
        EXPECT_EQ(unlinkat(levels[i - 1], level.c_str(), AT_REMOVEDIR), 0);
    }
    close(levels[0]);
}

}  // namespace
