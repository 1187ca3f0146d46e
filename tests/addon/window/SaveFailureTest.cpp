// Saves that cannot write: a read-only file, an immutable one, a file system without
// attributes, a file-size limit. Each is seen on the status line and fails the player's
// `save`; none writes a wrong byte or ends the player.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "AddonHarness.h"

using namespace addon_test;

namespace {

const uid_t kNobody = 65534;
const std::string kScript = "enable\nset title Changed\ncurrent\nstatus\nsave\n";

// `result` of kScript on NAME: the automatic save on `current` and the Save after it
// both failed for REASON, as the status line and the `save` command say.
void expect_not_saved(const RunResult &result, const std::string &name, const std::string &reason) {
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exitStatus, 2);
    const std::string status = name + " \u2014 not saved: " + reason;
    EXPECT_EQ(status_answers(result.OutLines()), std::vector<std::string>{status}) << result.out;
    EXPECT_EQ(result.err,
              "brindle-player: line 5: save: the form was not saved (" + status + ")\n");
}

// Takes the immutable flag off again whatever the test does, so the directory can go.
struct Immutable {
    explicit Immutable(const std::string &path) : fPath(path) {
        fSet = test_support::run_command("chattr +i " + test_support::shell_quote(path)) == 0;
    }
    ~Immutable() {
        if (fSet)
            test_support::run_command("chattr -i " + test_support::shell_quote(fPath));
    }
    std::string fPath;
    bool fSet;
};

}  // namespace

TEST(SaveFailure, ReadOnlyFile) {
    TempDir dir;
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
    // Owned by root: the player, running as nobody, may read it but not write it.
    std::string path = dir / "read-only.txt";
    write_file(path, "plain text\n");
    set_string_attr(path, "Audio:Title", "Keep");
    FileState before = file_state(path);
    PlayerSession session(dir, {path}, kNobody);
    for (const std::string &line : test_support::split_lines(kScript))
        ASSERT_TRUE(session.Send(line));
    RunResult result = session.Finish();
    expect_not_saved(result, "read-only.txt", "read-only file");
    EXPECT_EQ(file_state(path), before);
}

TEST(SaveFailure, ImmutableFile) {
    TempDir dir;
    std::string path = dir / "song.mp3";
    make_mp3(path);
    Immutable immutable(path);
    if (!immutable.fSet)
        GTEST_SKIP() << "chattr +i is not allowed here";
    FileState before = file_state(path);
    expect_not_saved(run_player(dir, kScript, {path}), "song.mp3", "read-only file");
    EXPECT_EQ(file_state(path), before);
}

TEST(SaveFailure, FileSystemWithoutAttributesStillGetsTheTag) {
    TempDir dir;
    if (!dir.MountRamfs("ramfs"))
        GTEST_SKIP() << "cannot mount a ramfs here";
    std::string path = dir / "ramfs/song.mp3";
    make_mp3(path);
    std::string audio = read_file(path);
    expect_not_saved(run_player(dir, kScript, {path}), "song.mp3",
                     "this file system keeps no attributes");
    EXPECT_EQ(read_file(path), audio + id3v1_tag("Changed", "", "", 255));
}

TEST(SaveFailure, FileSizeLimitCutsTheTagWhichIsTakenBack) {
    TempDir dir;
    std::string path = dir / "song.mp3";
    make_mp3(path);
    std::string audio = read_file(path);
    auto limit = [&](size_t room) {
        return std::vector<std::string>{"/usr/bin/prlimit",
                                        "--fsize=" + std::to_string(audio.size() + room)};
    };
    // Room for part of a tag: a short write, and the part is cut off again.
    RunResult result = run_player(dir, kScript, {path}, limit(64));
    expect_not_saved(result, "song.mp3", "the ID3v1 tag could not be added");
    EXPECT_EQ(read_file(path), audio);
    EXPECT_EQ(getfattr_all(path)["user.haiku.Audio:Title"], stored_string("Changed"));

    // No room at all: the write fails with the signal a size limit sends, which the
    // player ignores (here on quitting, where the unsaved edit is saved).
    RunResult quitting = run_player(dir, "enable\nset album Changed\n", {path}, limit(0));
    ASSERT_FALSE(quitting.timedOut);
    EXPECT_EQ(quitting.signal, 0);
    EXPECT_EQ(quitting.exitStatus, 0) << quitting.err;
    EXPECT_EQ(count_lines(quitting.OutLines(), "Failed to add id3 info"), 1) << quitting.out;
    EXPECT_EQ(read_file(path), audio);
    EXPECT_EQ(getfattr_all(path)["user.haiku.Audio:Album"], stored_string("Changed"));
}
