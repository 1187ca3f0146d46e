// Playlist items that are not usable audio files, files that change under the window,
// and a file system without attributes: the player goes on, nothing hangs, and no file
// but the one the form belongs to is ever written.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "AddonHarness.h"

using namespace addon_test;

namespace {

const uid_t kNobody = 65534;

bool has_user_attributes(const std::string &path) {
    return !getfattr(path).empty();
}

}  // namespace

TEST(BadInput, UnusableItemsAreSkippedAndTheFormNeverLeaksIntoAnotherFile) {
    TempDir dir;
    std::string good = dir / "good.mp3";
    make_mp3(good);
    std::string audio = read_file(good);
    std::string missing = dir / "missing.mp3";
    std::string noDirectory = dir / "no-such-dir/x.mp3";
    std::string directory = dir / "folder";
    ASSERT_EQ(mkdir(directory.c_str(), 0755), 0);
    std::string fifo = dir / "fifo.mp3";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    std::string dangling = dir / "dangling.mp3";
    std::string gone = dir / "gone.mp3";
    ASSERT_EQ(symlink(gone.c_str(), dangling.c_str()), 0);
    std::string notes = dir / "notes.txt";
    write_file(notes, "plain text\n");

    RunResult result = run_player(dir,
                                  "enable\n"
                                  "set title Good\n"
                                  "next\nnext\nnext\nnext\nnext\nnext\n"
                                  "save\n"
                                  "form\n",
                                  {good, missing, noDirectory, directory, fifo, dangling, notes});
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.Lines();

    // Every item but the one in a missing directory makes an entry and is switched to;
    // the five saves after leaving good.mp3 (and the first, before any file) fail.
    EXPECT_EQ(count_lines(lines, "Switching files"), 6) << result.out;
    EXPECT_EQ(count_lines(lines, "Failed to init node"), 6) << result.out;

    EXPECT_EQ(getfattr(good)["user.haiku.Audio:Title"], stored_string("Good"));
    EXPECT_EQ(read_file(good).size(), audio.size() + 128);
    EXPECT_EQ(file_size(missing), -1);
    EXPECT_EQ(file_size(gone), -1);
    EXPECT_FALSE(has_user_attributes(directory));
    struct stat st;
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(lstat(dangling.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    // notes.txt got its own (empty) form, not good.mp3's title.
    EXPECT_EQ(form_answers(lines)["title"], "");
    EXPECT_EQ(getfattr(notes)["user.haiku.Audio:Title"], stored_string(""));
    EXPECT_EQ(read_file(notes), "plain text\n");
}

TEST(BadInput, FileDeletedWhileShownIsNeitherWrittenNorRecreated) {
    TempDir dir;
    std::string shown = dir / "shown.mp3", next = dir / "next.txt";
    make_mp3(shown);
    write_file(next, "plain text\n");
    PlayerSession session(dir, {shown, next});
    ASSERT_TRUE(session.Send("enable"));
    ASSERT_TRUE(session.Send("set title Typed"));
    ASSERT_TRUE(session.Sync());
    ASSERT_EQ(unlink(shown.c_str()), 0);
    ASSERT_TRUE(session.Send("save"));
    ASSERT_TRUE(session.Send("next"));
    RunResult result = session.Finish();
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.Lines();
    // The first save (before any file) and the two after the deletion fail.
    EXPECT_EQ(count_lines(lines, "Failed to init node"), 3) << result.out;
    EXPECT_EQ(count_lines(lines, "Switching files"), 2);
    EXPECT_EQ(file_size(shown), -1);
    EXPECT_FALSE(has_user_attributes(next));
}

TEST(BadInput, ReadOnlyAndUnreadableFilesAreLeftUntouched) {
    TempDir dir;
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
    // Owned by root: the unprivileged player may read it but not write it.
    std::string readOnly = dir / "read-only.txt";
    write_file(readOnly, "plain text\n");
    set_string_attr(readOnly, "Audio:Title", "Keep");
    // The player's own file, made unreadable while it is shown.
    std::string own = dir / "own.txt";
    write_file(own, "plain text\n");
    ASSERT_EQ(chown(own.c_str(), kNobody, kNobody), 0);

    PlayerSession session(dir, {readOnly, own}, kNobody);
    ASSERT_TRUE(session.Send("enable"));
    ASSERT_TRUE(session.Send("set title Changed"));
    ASSERT_TRUE(session.Send("save"));
    ASSERT_TRUE(session.Send("next"));
    ASSERT_TRUE(session.Send("set title Mine"));
    ASSERT_TRUE(session.Sync());
    ASSERT_EQ(chmod(own.c_str(), 0), 0);
    ASSERT_TRUE(session.Send("current"));
    RunResult result = session.Finish();
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.Lines();

    // Before any file, Save and the move off the read-only file, and the save after
    // own.txt became unreadable.
    EXPECT_EQ(count_lines(lines, "Failed to init node"), 4) << result.out;
    EXPECT_EQ(count_lines(lines, "Setting Audio:Title: Keep"), 1);
    EXPECT_EQ(
        getfattr(readOnly),
        (std::map<std::string, std::string>{{"user.haiku.Audio:Title", stored_string("Keep")}}));
    EXPECT_EQ(read_file(readOnly), "plain text\n");
    EXPECT_FALSE(has_user_attributes(own));
    EXPECT_EQ(read_file(own), "plain text\n");
}

TEST(BadInput, FileSystemWithoutAttributesStillGetsTheTag) {
    TempDir dir;
    if (!dir.MountRamfs("ramfs"))
        GTEST_SKIP() << "cannot mount a ramfs here";
    std::string song = dir / "ramfs/song.mp3", notes = dir / "ramfs/notes.txt";
    make_mp3(song);
    std::string audio = read_file(song);
    write_file(notes, "plain text\n");

    RunResult result = run_player(dir, "enable\nset title Kept\nsave\nnext\nsave\n", {song, notes});
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.Lines();
    const std::vector<std::string> kFailures = {
        "Failed to save attribute Audio:Title",  "Failed to save attribute Audio:Artist",
        "Failed to save attribute Audio:Album",  "Failed to save attribute Audio:Genre",
        "Failed to save attribute Audio:Rating", "Failed to save attribute Audio:VolumeAdjustment",
    };
    // Three saves reach a file: Save on song.mp3, the move to notes.txt, Save on notes.txt.
    for (const std::string &failure : kFailures)
        EXPECT_EQ(count_lines(lines, failure), 3) << failure << "\n" << result.out;
    EXPECT_EQ(read_file(song).size(), audio.size() + 128);
    EXPECT_EQ(taglib_id3v1(song).title, "Kept");
    EXPECT_EQ(read_file(notes), "plain text\n");
}

TEST(BadInput, RatingNeverLoadedIsNotSavedAsANumberItNeverHad) {
    TempDir dir;
    // Current before it exists: the window switches to it but cannot load it, so Rating,
    // which a fresh form leaves unmarked, has no value yet.
    std::string late = dir / "late.txt";
    PlayerSession session(dir, {late});
    ASSERT_TRUE(session.Send("enable"));
    ASSERT_TRUE(session.Sync());
    write_file(late, "plain text\n");
    ASSERT_TRUE(session.Send("current"));
    RunResult result = session.Finish();
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.Lines();
    EXPECT_EQ(count_lines(lines, "Failed to save attribute Audio:Rating"), 1) << result.out;
    std::map<std::string, std::string> attributes = getfattr(late);
    EXPECT_EQ(attributes.count("user.haiku.Audio:Rating"), 0u);
    EXPECT_EQ(attributes["user.haiku.Audio:VolumeAdjustment"], stored_int32(0));
    EXPECT_EQ(attributes.size(), 5u);
    EXPECT_EQ(read_file(late), "plain text\n");
}
