// Playlist items that are not usable audio files, and files that change under the window:
// the player goes on, nothing hangs, the form never shows one file's data for another,
// and no file but the one the form was loaded from is ever written.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "AddonHarness.h"

using namespace addon_test;

namespace {

const uid_t kNobody = 65534;
const std::string kDash = " \u2014 ";

std::string text_file(const TempDir &dir, const std::string &name, const std::string &title) {
    std::string path = dir / name;
    write_file(path, "plain text\n");
    set_string_attr(path, "Audio:Title", title);
    return path;
}

}  // namespace

TEST(BadInput, UnusableItemsClearTheFormAndNothingLeaksIntoAnotherFile) {
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
    ASSERT_EQ(symlink((dir / "gone.mp3").c_str(), dangling.c_str()), 0);
    std::string notes = dir / "notes.txt";
    write_file(notes, "plain text\n");

    RunResult result = run_player(dir,
                                  "enable\n"
                                  "set title Good\n"
                                  "next\nstatus\nnext\nstatus\nnext\nstatus\n"
                                  "next\nstatus\nnext\nstatus\nform\n"
                                  "next\nsave\nform\n",
                                  {good, missing, noDirectory, directory, fifo, dangling, notes});
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.OutLines();

    EXPECT_EQ(status_answers(lines), (std::vector<std::string>{
                                         "missing.mp3" + kDash + "not loaded: no such file",
                                         "no file",
                                         "folder" + kDash + "not loaded: a folder",
                                         "fifo.mp3" + kDash + "not loaded: not a regular file",
                                         "dangling.mp3" + kDash + "not loaded: no such file",
                                     }))
        << result.out;
    // Each one clears the form: nothing of good.mp3 stays to be saved elsewhere.
    EXPECT_EQ(form_answers(lines, 0), (std::map<std::string, std::string>{{"title", ""},
                                                                          {"album", ""},
                                                                          {"artist", ""},
                                                                          {"genre", "unknown"},
                                                                          {"rating", ""},
                                                                          {"volume", "0"}}));
    // Only the move off good.mp3 had an edit to save; the cleared forms had none.
    EXPECT_EQ(count_lines(lines, "Failed to init node"), 0) << result.out;

    EXPECT_EQ(
        getfattr_all(good),
        (std::map<std::string, std::string>{{"user.haiku.Audio:Title", stored_string("Good")}}));
    EXPECT_EQ(read_file(good), audio + id3v1_tag("Good", "", "", 255));
    EXPECT_EQ(file_size(missing), -1);
    EXPECT_EQ(file_size(dir / "gone.mp3"), -1);
    EXPECT_TRUE(getfattr_all(directory).empty());
    struct stat st;
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    // notes.txt got its own (empty) form when saved, not good.mp3's title.
    EXPECT_EQ(form_answers(lines, 1)["title"], "");
    EXPECT_EQ(getfattr_all(notes)["user.haiku.Audio:Title"], stored_string(""));
    EXPECT_EQ(read_file(notes), "plain text\n");
}

// The status line always describes the form: an edit made while no file was loaded cannot
// be saved, and the next good file's line says so rather than keep the old words.
TEST(BadInput, AnEditNoFileCouldTakeIsSaidBesideTheNextGoodFile) {
    TempDir dir;
    std::string noDirectory = dir / "no-such-dir/x.mp3", missing = dir / "missing.mp3";
    std::string good = dir / "good.mp3", other = dir / "other.mp3";
    make_mp3(good);
    make_mp3(other);

    RunResult result = run_player(dir,
                                  "enable\nstatus\nset title Lost\nnext\nstatus\nnext\nstatus\n"
                                  "set title Lost\nnext\nstatus\nform\n",
                                  {noDirectory, good, missing, other});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(status_answers(result.OutLines()),
              (std::vector<std::string>{
                  "no file", "good.mp3" + kDash + "edits to x.mp3 not saved: no file",
                  "missing.mp3" + kDash + "not loaded: no such file",
                  "other.mp3" + kDash + "edits to missing.mp3 not saved: no file"}))
        << result.out;
    EXPECT_EQ(form_answers(result.OutLines())["title"], "");
    EXPECT_TRUE(getfattr_all(good).empty());
    EXPECT_TRUE(getfattr_all(other).empty());
}

TEST(BadInput, AnItemThatMakesNoEntryGivesTheVolumeBackAndSaveWritesNothing) {
    TempDir dir;
    std::string good = text_file(dir, "good.txt", "Good");
    set_int32_attr(good, "Audio:VolumeAdjustment", 2);
    FileState before = file_state(good);
    std::string tooLong = dir / (std::string(300, 'd') + "/" + std::string(4200, 'x') + ".mp3");

    RunResult result = run_player(dir, "enable\nnext\nvolume\nsave\n", {good, tooLong});
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err, "brindle-player: line 4: save: the form was not saved (no file)\n");
    std::vector<std::string> lines = result.OutLines();
    EXPECT_EQ(count_lines(lines, "Volume adjusted from: 2 to 0"), 1) << result.out;
    EXPECT_EQ(count_lines(lines, "= volume 1"), 1);
    EXPECT_EQ(count_lines(lines, "Failed to init node"), 1);
    EXPECT_EQ(file_state(good), before);
}

TEST(BadInput, UnreadableOrMissingCurrentFileIsLoadedOnceItCanBe) {
    TempDir dir;
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
    std::string first = text_file(dir, "first.txt", "First");
    ASSERT_EQ(chown(first.c_str(), kNobody, kNobody), 0);
    std::string late = dir / "late.txt";
    // Owned by root and unreadable to the player, which runs as nobody.
    std::string locked = text_file(dir, "locked.txt", "Locked");
    ASSERT_EQ(chmod(locked.c_str(), 0600), 0);

    PlayerSession session(dir, {first, late, locked}, kNobody);
    ASSERT_TRUE(session.Send("enable"));
    ASSERT_TRUE(session.Send("set title Edited"));
    ASSERT_TRUE(session.Send("next"));
    ASSERT_TRUE(session.Send("status"));
    ASSERT_TRUE(session.Send("form"));
    ASSERT_TRUE(session.Sync());
    text_file(dir, "late.txt", "Late");
    FileState lateBefore = file_state(late);
    ASSERT_TRUE(session.Send("current"));
    ASSERT_TRUE(session.Send("form"));
    ASSERT_TRUE(session.Send("next"));
    ASSERT_TRUE(session.Send("status"));
    ASSERT_TRUE(session.Sync());
    ASSERT_EQ(chmod(locked.c_str(), 0666), 0);
    FileState lockedBefore = file_state(locked);
    ASSERT_TRUE(session.Send("current"));
    ASSERT_TRUE(session.Send("status"));
    ASSERT_TRUE(session.Send("form"));
    RunResult result = session.Finish();
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.OutLines();

    EXPECT_EQ(status_answers(lines), (std::vector<std::string>{
                                         "late.txt" + kDash + "not loaded: no such file",
                                         "locked.txt" + kDash + "not loaded: permission denied",
                                         "locked.txt" + kDash + "not an MPEG file",
                                     }))
        << result.out;
    EXPECT_EQ(form_answers(lines, 0)["title"], "");
    EXPECT_EQ(form_answers(lines, 1)["title"], "Late");
    EXPECT_EQ(form_answers(lines, 2)["title"], "Locked");
    EXPECT_EQ(getfattr_all(first)["user.haiku.Audio:Title"], stored_string("Edited"));
    // Nothing of first.txt's form reached the files that could not be read at first.
    EXPECT_EQ(file_state(late), lateBefore);
    EXPECT_EQ(file_state(locked), lockedBefore);
}

TEST(BadInput, AFileReplacedOrRelinkedOnDiskIsNeverWrittenAndTheEditsStay) {
    TempDir dir;
    std::string renamed = text_file(dir, "renamed.txt", "Old");
    std::string relinked = text_file(dir, "relinked.txt", "Old");
    std::string elsewhere = text_file(dir, "elsewhere.txt", "Elsewhere");
    std::string deleted = text_file(dir, "deleted.txt", "Old");
    PlayerSession session(dir, {renamed, relinked, deleted});
    ASSERT_TRUE(session.Send("enable"));
    ASSERT_TRUE(session.Send("set title Mine"));
    ASSERT_TRUE(session.Sync());
    // Another tagger's safe rewrite: a new file renamed over the old name.
    std::string replacement = text_file(dir, "replacement.tmp", "Theirs");
    ASSERT_EQ(rename(replacement.c_str(), renamed.c_str()), 0);
    FileState theirs = file_state(renamed);
    ASSERT_TRUE(session.Send("current"));
    ASSERT_TRUE(session.Send("status"));
    ASSERT_TRUE(session.Send("form"));
    ASSERT_TRUE(session.Send("next"));
    ASSERT_TRUE(session.Send("set title Mine too"));
    ASSERT_TRUE(session.Sync());
    // The name swapped for a link to a file elsewhere.
    ASSERT_EQ(unlink(relinked.c_str()), 0);
    ASSERT_EQ(symlink(elsewhere.c_str(), relinked.c_str()), 0);
    FileState target = file_state(elsewhere);
    ASSERT_TRUE(session.Send("current"));
    ASSERT_TRUE(session.Send("status"));
    ASSERT_TRUE(session.Send("form"));
    ASSERT_TRUE(session.Send("next"));
    ASSERT_TRUE(session.Send("set title Never"));
    ASSERT_TRUE(session.Sync());
    ASSERT_EQ(unlink(deleted.c_str()), 0);
    ASSERT_TRUE(session.Send("current"));
    ASSERT_TRUE(session.Send("status"));
    RunResult result = session.Finish();
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.OutLines();

    const std::string kChanged = kDash + "not saved: the file changed on disk";
    EXPECT_EQ(status_answers(lines), (std::vector<std::string>{
                                         "renamed.txt" + kChanged,
                                         "relinked.txt" + kChanged,
                                         "deleted.txt" + kDash + "not saved: the file is gone",
                                     }))
        << result.out;
    EXPECT_EQ(form_answers(lines, 0)["title"], "Mine");
    EXPECT_EQ(form_answers(lines, 1)["title"], "Mine too");
    EXPECT_EQ(file_state(renamed), theirs);
    EXPECT_EQ(file_state(elsewhere), target);
    EXPECT_EQ(file_size(deleted), -1);
}
