// A kill at any point of a FLAC, Ogg Vorbis, Opus or M4A tag save leaves the old file or the
// new one under the name, whole. The save runs in a child process that kills itself after a
// given number of bytes written or copied, or at the rename (FileFaults.h).
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <string>

#include <File.h>

#include "AddonHarness.h"
#include "FileFaults.h"
#include "Id3v2Files.h"
#include "tags/format_tags.h"

using namespace addon_test;

namespace {

status_t save_title(const std::string &path) {
    BFile file(path.c_str(), B_READ_WRITE);
    tag_format format;
    if (file.InitCheck() != B_OK || !get_tag_format(file, &format))
        return B_BAD_VALUE;
    format_changes changes;
    changes.title = "A Title Long Enough To Move What Follows It";
    changes.rating = 8;
    bool replaced;
    node_ref replacement;
    return write_format_fields(file, format, changes, &replaced, &replacement);
}

class FormatTagsKill : public ::testing::TestWithParam<std::string> {};

TEST_P(FormatTagsKill, AKillAnywhereInASaveLeavesTheOldFileOrTheNewOne) {
    TempDir dir;
    std::string path = dir / ("song." + GetParam());
    make_audio(path, GetParam());
    test_support::mutagen_tag_other(path, {{"title", "Old"}, {"picture", "1"}});
    const std::string old = read_file(path);
    ASSERT_EQ(B_OK, save_title(path));
    const std::string updated = read_file(path);
    ASSERT_NE(old, updated);

    const long long size = static_cast<long long>(updated.size());
    const struct {
        long long writes;
        int rename;  // kill just before (1) or just after (2) the rename; 0: not there
    } kills[] = {{0, 0}, {10, 0}, {size / 2, 0}, {size - 10, 0}, {-1, 1}, {-1, 2}};
    for (const auto &at : kills) {
        write_file(path, old);
        int status = test_support::run_in_child([&] {
            const auto die = [] { kill(getpid(), SIGKILL); };
            file_faults().writesBeforeKill = at.writes;
            if (at.rename == 1)
                file_faults().beforeRename = die;
            if (at.rename == 2)
                file_faults().afterRename = die;
            return save_title(path) == B_OK ? 0 : 1;
        });
        const std::string now = read_file(path);
        EXPECT_EQ(status, 128 + SIGKILL) << at.writes << " " << at.rename;
        EXPECT_TRUE(now == old || now == updated)
            << "a torn file at " << at.writes << " bytes, rename " << at.rename;
        EXPECT_EQ(now == updated, at.rename == 2);
        test_support::run_command("rm -f " + test_support::shell_quote(dir.Path()) +
                                  "/.brindle-save-*");
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatTagsKill, ::testing::Values("flac", "ogg", "opus", "m4a"),
                         [](const auto &info) { return info.param; });

}  // namespace
