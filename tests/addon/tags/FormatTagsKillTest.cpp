// A kill at any point of a FLAC, Ogg Vorbis, Opus or M4A tag save leaves the old file or the
// new one under the name, whole. The save runs in a child process that kills itself after a
// given number of bytes written or copied, or at the rename; write, copy_file_range and the
// renames are wrapped in this binary alone.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <string>

#include <File.h>

#include "AddonHarness.h"
#include "Id3v2Files.h"
#include "tags/format_tags.h"

using namespace addon_test;

namespace {

// Bytes this process may still write before it kills itself; -1: no limit.
long long gWritesBeforeKill = -1;
// Kill this process just before (1) or just after (2) its next rename; 0: never.
int gKillAtRename = 0;

template <typename Function>
Function next_definition(const char *name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// Writes at most what is left before the kill (through `write`, given the count), then dies
// when that ran out.
template <typename Write>
ssize_t killing_write(size_t length, Write write) {
    const bool die = gWritesBeforeKill >= 0 && static_cast<long long>(length) >= gWritesBeforeKill;
    ssize_t written = write(die ? static_cast<size_t>(gWritesBeforeKill) : length);
    if (die)
        kill(getpid(), SIGKILL);
    if (gWritesBeforeKill >= 0)
        gWritesBeforeKill -= static_cast<long long>(length);
    return written;
}

template <typename Rename>
int killing_rename(Rename rename) {
    if (gKillAtRename == 1)
        kill(getpid(), SIGKILL);
    int result = rename();
    if (gKillAtRename == 2)
        kill(getpid(), SIGKILL);
    return result;
}

}  // namespace

extern "C" {

ssize_t write(int fd, const void *buffer, size_t length) {
    using Function = ssize_t (*)(int, const void *, size_t);
    static const Function next = next_definition<Function>("write");
    return killing_write(length, [&](size_t allowed) { return next(fd, buffer, allowed); });
}

// A copy made by the kernel counts as written too.
ssize_t copy_file_range(int in, loff_t *inOffset, int out, loff_t *outOffset, size_t length,
                        unsigned int flags) {
    using Function = ssize_t (*)(int, loff_t *, int, loff_t *, size_t, unsigned int);
    static const Function next = next_definition<Function>("copy_file_range");
    return killing_write(
        length, [&](size_t allowed) { return next(in, inOffset, out, outOffset, allowed, flags); });
}

int renameat(int fromDir, const char *from, int toDir, const char *to) {
    using Function = int (*)(int, const char *, int, const char *);
    static const Function next = next_definition<Function>("renameat");
    return killing_rename([&] { return next(fromDir, from, toDir, to); });
}

int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned int flags) {
    using Function = int (*)(int, const char *, int, const char *, unsigned int);
    static const Function next = next_definition<Function>("renameat2");
    return killing_rename([&] { return next(fromDir, from, toDir, to, flags); });
}

}  // extern "C"

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
        int rename;
    } kills[] = {{0, 0}, {10, 0}, {size / 2, 0}, {size - 10, 0}, {-1, 1}, {-1, 2}};
    for (const auto &at : kills) {
        write_file(path, old);
        int status = test_support::run_in_child([&] {
            gWritesBeforeKill = at.writes;
            gKillAtRename = at.rename;
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
