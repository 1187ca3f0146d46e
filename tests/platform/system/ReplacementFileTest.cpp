// Replacing a real file in a real folder, and what is left beside it when that stops halfway.
#include <ReplacementFile.h>
#include <SystemIo.h>
#include <UniqueFd.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "TestFiles.h"

using brindle::ReplacementFile;
using brindle::UniqueFd;
using test_support::directory_entries;
using test_support::read_file;
using test_support::TempDir;

namespace {

struct Folder {
    TempDir directory;
    UniqueFd fd{open(directory.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
};

// A replacement of `name` holding `text`, written and flushed but not yet in place.
void write_finished(ReplacementFile &file, const Folder &folder, const std::string &text) {
    ASSERT_EQ(file.Create(folder.fd.Get(), ".frames.new-"), 0);
    ASSERT_EQ(brindle::write_all(file.Fd(), text.data(), text.size()), 0);
    ASSERT_EQ(file.Finish(), 0);
}

}  // namespace

TEST(ReplacementFile, CommitPutsTheNewFileUnderTheNameAndLeavesNothingElse) {
    Folder folder;
    folder.directory.Write("frames", "old\n");
    ReplacementFile file;
    write_finished(file, folder, "new\n");
    EXPECT_EQ(file.Name().rfind(".frames.new-", 0), 0u);
    EXPECT_EQ(file.Name().size(), std::string(".frames.new-").size() + 12);
    EXPECT_EQ(directory_entries(folder.directory.Path()),
              (std::set<std::string>{"frames", file.Name()}));
    ASSERT_EQ(file.Commit("frames"), 0);
    EXPECT_EQ(read_file(folder.directory / "frames"), "new\n");
    EXPECT_EQ(directory_entries(folder.directory.Path()), std::set<std::string>{"frames"});
    struct stat st;
    ASSERT_EQ(stat((folder.directory / "frames").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST(ReplacementFile, OneNotCommittedIsRemovedAndTheOldFileKept) {
    Folder folder;
    folder.directory.Write("frames", "old\n");
    {
        ReplacementFile file;
        write_finished(file, folder, "new\n");
    }
    EXPECT_EQ(read_file(folder.directory / "frames"), "old\n");
    EXPECT_EQ(directory_entries(folder.directory.Path()), std::set<std::string>{"frames"});
}

TEST(ReplacementFile, AFailedCommitSaysWhyAndLeavesNoTemporary) {
    Folder folder;
    ASSERT_EQ(mkdir((folder.directory / "frames").c_str(), 0700), 0);
    ASSERT_EQ(mkdir((folder.directory / "frames/inside").c_str(), 0700), 0);
    ReplacementFile file;
    write_finished(file, folder, "new\n");
    EXPECT_EQ(file.Commit("frames"), -1);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(directory_entries(folder.directory.Path()), std::set<std::string>{"frames"});
}

TEST(ReplacementFile, ExchangeSwapsTheTwoSoTheOldFileCanBeCheckedOrKept) {
    Folder folder;
    folder.directory.Write("song", "old");
    ReplacementFile file;
    write_finished(file, folder, "new");
    ASSERT_EQ(file.Exchange("song"), 0);
    EXPECT_EQ(read_file(folder.directory / "song"), "new");
    EXPECT_EQ(read_file(folder.directory / file.Name()), "old");
    const std::string swapped = file.Name();
    file.Keep();  // what is under the temporary name now stays
    file.Discard();
    EXPECT_EQ(directory_entries(folder.directory.Path()), (std::set<std::string>{"song", swapped}));
}
