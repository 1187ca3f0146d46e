// Saves that cannot write: a read-only file, an immutable one, a file system without
// attributes, a file-size limit, a full disk, a file another program keeps locked. Each is seen on
// the status line and fails the player's `save`; none writes a wrong byte or ends the player.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include "AddonHarness.h"
#include "Id3v2Files.h"
#include "SmallFileSystem.h"

using namespace addon_test;

namespace {

const uid_t kNobody = 65534;
const std::string kScript = "enable\nset title Changed\ncurrent\nstatus\nsave\n";

// `result` of kScript on NAME: the automatic save on `current`, the Save after it and the
// one at quit (unless the attributes took the edits) all failed for REASON, as the status line, the
// `save` command and standard error say.
void expect_not_saved(const RunResult &result, const std::string &name, const std::string &reason,
                      bool lostAtQuit = true) {
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exitStatus, 2);
    const std::string status = name + " \u2014 not saved: " + reason;
    EXPECT_EQ(status_answers(result.OutLines()), std::vector<std::string>{status}) << result.out;
    // The edit is tried once more as the player quits, and said lost on standard error.
    const std::string lost = "brindle: edits to " + name + " not saved: " + reason + "\n";
    EXPECT_EQ(result.err, "brindle-player: line 5: save: the form was not saved (" + status +
                              ")\n" + (lostAtQuit ? lost : ""));
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
    expect_not_saved(result, "song.mp3", "the ID3v1 tag could not be added", false);
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

namespace {

// A song of `format` whose tag cannot take a longer title where it is: an MP3 behind a 2.3
// tag without padding (with an ID3v1 tag, which takes the title in place), a FLAC without a
// PADDING block; Ogg, Opus and M4A as their encoders make them.
void make_tight_song(const std::string &path, const std::string &format) {
    make_audio(path, format);
    if (format == "mp3")
        write_file(path,
                   test_support::id3v2_tag(3, test_support::id3v2_text_frame(3, "TIT2", "Old")) +
                       read_file(path) + id3v1_tag("Old", "", "", 255));
    if (format == "flac") {
        ASSERT_EQ(
            test_support::run_command("metaflac --remove --block-type=PADDING --dont-use-padding " +
                                      test_support::shell_quote(path)),
            0);
    }
}

class FullDiskSave : public ::testing::TestWithParam<std::string> {};

}  // namespace

// The disk has room for little more than the file: the copy that would replace it cannot be
// made whole, so nothing replaces it, nothing is left beside it, and the status line says so.
TEST_P(FullDiskSave, ACopyThatCannotFitIsRefusedAndTheFileKeepsEveryByte) {
    test_support::SmallFileSystem disk;
    if (!disk.Unavailable().empty()) {
        GTEST_SKIP() << "no small file system to fill: " << disk.Unavailable();
    }
    const std::string format = GetParam();
    const std::string name = "song." + format;
    const std::string path = disk / name;
    make_tight_song(path, format);
    ASSERT_TRUE(disk.LeaveRoom((file_size(path) + 1023) / 1024 * 1024)) << disk.Free();
    const std::string before = read_file(path);

    TempDir dir;
    RunResult result = run_player(
        dir, "enable\nset title A Title Long Enough To Make Any Tag Grow Past Its Room\nsave\n",
        {path});
    ASSERT_FALSE(result.timedOut);
    const std::string tag = format == "mp3" ? "its ID3v2 tag" : "its tag";
    EXPECT_EQ(result.err, "brindle-player: line 3: save: the form was not saved (" + name +
                              " \u2014 saved, but not in " + tag + ": the disk is full)\n");
    // All but an MP3's ID3v1 tag, which is written in place.
    const size_t kept = before.size() - (format == "mp3" ? 128 : 0);
    const std::string now = read_file(path);
    EXPECT_EQ(now.size(), before.size());
    EXPECT_TRUE(now.compare(0, kept, before, 0, kept) == 0) << "the file changed";
    EXPECT_EQ(test_support::directory_entries(disk.Path()),
              (std::set<std::string>{".filler", "lost+found", name}));
}

INSTANTIATE_TEST_SUITE_P(Formats, FullDiskSave,
                         ::testing::Values("mp3", "flac", "ogg", "opus", "m4a"),
                         [](const auto &info) { return info.param; });

// Another program holds the file locked and does not let go: the move to the next file
// loads it and says what was lost, Save gives up after a while with the edits kept (the save
// at quit tries them again, without waiting, and says on standard error they were lost), and
// the player quits on SIGTERM.
TEST(SaveFailure, AFileAnotherProgramKeepsLockedIsGivenUpOn) {
    TempDir dir;
    const std::string held = dir / "held.mp3", next = dir / "next.mp3";
    make_mp3(held);
    make_mp3(next);
    const FileState before = file_state(held);
    test_support::LockHolder holder(held);
    ASSERT_TRUE(holder.Held());
    const std::string reason = "another program is writing it";

    PlayerSession player(dir, {held, next});
    for (const char *command :
         {"enable", "set title Lost", "next", "status", "prev", "set title Mine", "save", "status"})
        ASSERT_TRUE(player.Send(command));
    RunResult result = player.Finish();
    ASSERT_FALSE(result.timedOut) << "a save waited without end";
    EXPECT_EQ(status_answers(result.OutLines()),
              (std::vector<std::string>{"next.mp3 \u2014 edits to held.mp3 not saved: " + reason}));
    EXPECT_EQ(result.err,
              "brindle-player: line 7: save: the form was not saved (held.mp3 \u2014 "
              "not saved: " +
                  reason + ")\nbrindle: edits to held.mp3 not saved: " + reason + "\n");

    PlayerSession signalled(dir, {held});
    ASSERT_TRUE(signalled.Send("enable") && signalled.Send("set title Mine") && signalled.Sync());
    kill(signalled.Pid(), SIGTERM);
    ASSERT_TRUE(signalled.WaitForLine("PluginWindow destructor"));
    result = signalled.Finish();
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 128 + SIGTERM);
    EXPECT_EQ(result.err, "brindle: edits to held.mp3 not saved: " + reason + "\n");
    EXPECT_EQ(file_state(held), before);
}
