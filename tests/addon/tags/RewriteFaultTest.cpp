// Replacing a file by a complete copy, and what no fault around it may take: a second save of
// the same file, a hard link or another program's file slipping in before the rename, a
// folder's default ACL, a kill mid-write, an ID3v2.2 tag, file flags, attributes another uid
// cannot set. Real files, real processes (the player itself where the form saves), real
// SIGKILL; the C library's rename and write calls are wrapped in this binary alone
// (FileFaults.h).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include <File.h>

#include "AddonHarness.h"
#include "FileFaults.h"
#include "Id3v2Files.h"
#include "tags/id3v2/id3v2.h"
#include "tags/safe_rewrite.h"
#include "tags/save_check.h"

using namespace addon_test;
using test_support::directory_entries;
using test_support::id3v2_tag;
using test_support::id3v2_text_frame;
using test_support::LockHolder;
using test_support::mutagen_read;
using test_support::run_command;
using test_support::run_in_child;
using test_support::shell_quote;

namespace {

const std::string kLongTitle(300, 'L');

struct stat stat_of(const std::string &path) {
    struct stat st = {};
    EXPECT_EQ(0, lstat(path.c_str(), &st)) << path;
    return st;
}

std::string command_output(const std::string &command) {
    std::string out;
    EXPECT_EQ(0, run_command(command, &out)) << command;
    return out;
}

// An MP3 from lame behind a hand-made 2.3 tag: TIT2 "Old", then `after`, then `padding`.
std::string make_tagged_mp3(const TempDir &dir, const std::string &name, const std::string &after,
                            size_t padding) {
    std::string path = dir / name;
    make_mp3(path);
    write_file(path,
               id3v2_tag(3, id3v2_text_frame(3, "TIT2", "Old") + after, padding) + read_file(path));
    return path;
}

status_t write_title(const std::string &path, const std::string &title) {
    BFile file(path.c_str(), B_READ_WRITE);
    id3v2_changes changes;
    changes.title = title.c_str();
    bool replaced;
    node_ref replacement;
    return write_id3v2_fields(file, changes, &replaced, &replacement);
}

status_t copy_unchanged(const std::string &path) {
    BFile file(path.c_str(), B_READ_WRITE);
    return rewrite_file_copy(
        file, [](const char *, int) { return B_OK; }, nullptr);
}

// Polls /proc/locks until a process waits for a lock on `path`'s file (ten seconds at most).
bool someone_waits_for_lock(const std::string &path) {
    const std::string inode = ":" + std::to_string(stat_of(path).st_ino) + " ";
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < limit) {
        std::ifstream locks("/proc/locks");
        for (std::string line; std::getline(locks, line);) {
            if (line.find("->") != std::string::npos && line.find(inode) != std::string::npos)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Lifts an inode flag a test set, whatever the test's outcome.
struct FlagGuard {
    std::string path;
    std::string flag;
    ~FlagGuard() { run_command("chattr -" + flag + " " + shell_quote(path)); }
};

}  // namespace

TEST(RewriteFault, CopyBesideIsEditedThroughItsPathAndReplacesTheFile) {
    TempDir dir;
    std::string path = dir.Write("song.flac", "fLaC" + std::string(100000, 'a'));
    ASSERT_TRUE(test_support::setfattr(path, "user.baloo.rating", "6"));
    ASSERT_EQ(0, chmod(path.c_str(), 0640));
    auto attributes = getfattr_all(path);
    ino_t oldInode = stat_of(path).st_ino;

    BFile file(path.c_str(), B_READ_WRITE);
    node_ref replacement;
    status_t status = rewrite_file_copy(
        file,
        [&](const char *copyPath, int copyFd) {
            // A library that opens the path itself, as TagLib does, and one that uses the fd.
            int fd = open(copyPath, O_WRONLY);
            bool ok = fd >= 0 && pwrite(fd, "EDIT", 4, 4) == 4 && close(fd) == 0;
            ok = ok && write(copyFd, "+", 1) == 1;
            return ok ? B_OK : B_IO_ERROR;
        },
        &replacement);
    ASSERT_EQ(B_OK, status);

    struct stat st = stat_of(path);
    EXPECT_NE(oldInode, st.st_ino);
    EXPECT_EQ(node_ref(st.st_dev, st.st_ino), replacement);
    EXPECT_EQ(0640u, st.st_mode & 07777);
    EXPECT_EQ(attributes, getfattr_all(path));
    const std::string edited = "fLaCEDIT" + std::string(100000 - 4, 'a') + "+";
    EXPECT_EQ(edited, read_file(path));

    // An edit that fails leaves the file as it was and nothing beside it.
    BFile again(path.c_str(), B_READ_WRITE);
    EXPECT_EQ(B_BAD_DATA, rewrite_file_copy(
                              again, [](const char *, int) { return B_BAD_DATA; }, nullptr));
    EXPECT_EQ(edited, read_file(path));
    EXPECT_EQ(std::set<std::string>{"song.flac"}, directory_entries(dir.Path()));
}

// Another player's save holds the file: this player's save waits for it, and then either
// takes in what that save wrote or, when it replaced the file, writes nothing.
TEST(RewriteFault, TwoSavesOfOneFileTakeTurns) {
    TempDir dir;
    std::string path = make_tagged_mp3(dir, "song.mp3", "", 0);
    PlayerSession player(dir, {path});
    ASSERT_TRUE(player.Send("enable") && player.Sync());

    int held = open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(0, flock(held, LOCK_EX));
    ASSERT_TRUE(player.Send("set title " + kLongTitle) && player.Send("save") &&
                player.Send("status"));
    ASSERT_TRUE(someone_waits_for_lock(path)) << "the save did not wait for the other one";
    ASSERT_EQ(0, fsetxattr(held, "user.xdg.comment", "theirs", 6, 0));
    ASSERT_EQ(0, flock(held, LOCK_UN));
    ASSERT_TRUE(player.Sync());
    close(held);
    EXPECT_EQ("theirs", getfattr_all(path)["user.xdg.comment"]);
    EXPECT_EQ(kLongTitle, mutagen_read(path)["TIT2"]);

    held = open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(0, flock(held, LOCK_EX));
    ASSERT_TRUE(player.Send("set artist Late") && player.Send("save"));
    ASSERT_TRUE(someone_waits_for_lock(path));
    const std::string theirs = read_file(path) + "theirs";
    write_file(dir / "theirs.mp3", theirs);
    ASSERT_EQ(0, rename((dir / "theirs.mp3").c_str(), path.c_str()));
    ASSERT_EQ(0, flock(held, LOCK_UN));
    close(held);

    RunResult result = player.Finish();
    EXPECT_EQ(status_answers(result.OutLines()), std::vector<std::string>{"song.mp3 \u2014 saved"});
    EXPECT_EQ(result.err,
              "brindle-player: line 8: save: the form was not saved (song.mp3 \u2014 "
              "not saved: the file changed on disk)\n"
              "brindle: edits to song.mp3 not saved: the file changed on disk\n");
    EXPECT_EQ(theirs, read_file(path));
    EXPECT_EQ(getfattr_all(path).count("user.haiku.Audio:Artist"), 0u);
}

TEST(RewriteFault, AHardLinkOrAnotherFileMadeJustBeforeTheRenameIsLeftAlone) {
    TempDir dir;
    std::string path = dir.Write("song.mp3", "original");
    std::string other = dir / "other.mp3";
    file_faults().beforeRename = [&] { link(path.c_str(), other.c_str()); };
    EXPECT_NE(B_OK, copy_unchanged(path));
    EXPECT_EQ(stat_of(path).st_ino, stat_of(other).st_ino) << "the hard link was split";
    EXPECT_EQ("original", read_file(path));
    ASSERT_EQ(0, unlink(other.c_str()));

    file_faults().beforeRename = [&] {
        write_file(other, "another program's save");
        rename(other.c_str(), path.c_str());
    };
    EXPECT_EQ(REWRITE_FILE_CHANGED, copy_unchanged(path));
    EXPECT_EQ("another program's save", read_file(path));
    EXPECT_EQ(std::set<std::string>{"song.mp3"}, directory_entries(dir.Path()));

    // Where names cannot be swapped, a plain rename after the last look.
    file_faults().noRenameExchange = true;
    ino_t inode = stat_of(path).st_ino;
    EXPECT_EQ(B_OK, copy_unchanged(path));
    file_faults().noRenameExchange = false;
    EXPECT_NE(inode, stat_of(path).st_ino);
    EXPECT_EQ("another program's save", read_file(path));
    EXPECT_EQ(std::set<std::string>{"song.mp3"}, directory_entries(dir.Path()));
}

TEST(RewriteFault, ARewriteEndsWithExactlyTheOldFilesAcl) {
    TempDir dir;
    std::string folder = dir / "private";
    ASSERT_EQ(0, mkdir(folder.c_str(), 0755));
    command_output("setfacl -d -m u:2222:r " + shell_quote(folder));
    for (const std::string acl : {"", "u:3333:rw"}) {
        std::string path = folder + "/song.mp3";
        write_file(path, "audio");
        command_output("setfacl -b " + shell_quote(path));
        if (!acl.empty())
            command_output("setfacl -m " + acl + " " + shell_quote(path));
        ASSERT_EQ(0, chmod(path.c_str(), acl.empty() ? 0640 : 0660));
        const std::string getfacl = "getfacl -cp " + shell_quote(path);
        const std::string before = command_output(getfacl);

        ASSERT_EQ(B_OK, copy_unchanged(path)) << acl;
        EXPECT_EQ(before, command_output(getfacl)) << acl;
        ASSERT_EQ(0, unlink(path.c_str()));
    }
}

// The title grows into the padding, so the 2 MB frame after it would move: a kill at any point
// of the write leaves the old file or the new one.
TEST(RewriteFault, AKillDuringATagWriteLeavesTheOldFileOrTheNewOne) {
    TempDir dir;
    std::string path = make_tagged_mp3(dir, "song.mp3",
                                       id3v2_text_frame(3, "PRIV", std::string(2 << 20, 'p')), 64);
    const std::string old = read_file(path);
    std::string reference = dir / "reference.mp3";
    write_file(reference, old);
    ASSERT_EQ(B_OK, write_title(reference, "A Longer Title"));
    const std::string updated = read_file(reference);
    ASSERT_EQ(0, unlink(reference.c_str()));

    for (long long cut : {0LL, 10LL, 1LL << 20, static_cast<long long>(updated.size()) - 10}) {
        write_file(path, old);
        int status = run_in_child([&] {
            file_faults().writesBeforeKill = cut;
            return write_title(path, "A Longer Title") == B_OK ? 0 : 1;
        });
        const std::string now = read_file(path);
        EXPECT_TRUE(now == old || now == updated) << "a torn file after " << cut << " bytes";
        EXPECT_TRUE(status == 128 + SIGKILL || now == updated) << cut;
        run_command("rm -f " + shell_quote(dir.Path()) + "/.brindle-save-*");
    }
}

// Frames 2.3 lacks (TDA, TIM, RVA, EQU, unknown ones) stay as they were, whether the new
// title fits the tag or makes it grow.
TEST(RewriteFault, SavingIntoAnId3v22TagKeepsEveryFrame) {
    TempDir dir;
    const std::string kept[] = {
        id3v2_text_frame(2, "TDA", "0112"), id3v2_text_frame(2, "TIM", "1230"),
        id3v2_text_frame(2, "RVA", std::string("\x03\x10\x01\x00\x01\x00", 6)),
        id3v2_text_frame(2, "EQU", std::string("\x10\x80\x00\x01\x00", 5)),
        id3v2_text_frame(2, "XYZ", "unknown to everyone")};
    std::string frames = id3v2_text_frame(2, "TT2", "Old");
    for (const std::string &frame : kept)
        frames += frame;
    for (const std::string &title : {std::string("New"), kLongTitle}) {
        std::string path = dir / "song.mp3";
        make_mp3(path);
        write_file(path, id3v2_tag(2, frames, 32) + read_file(path));

        ASSERT_EQ(B_OK, write_title(path, title));
        const std::string now = read_file(path);
        EXPECT_EQ(2, now[3]) << "the tag's version";
        for (const std::string &frame : kept)
            EXPECT_NE(std::string::npos, now.find(frame)) << frame.substr(0, 3) << " was lost";
        auto tag = mutagen_read(path);
        EXPECT_EQ(title, tag["TIT2"]);
    }
}

TEST(RewriteFault, ARewriteKeepsFileFlagsAndRefusesAnAttributeItCannotCarry) {
    TempDir dir;
    std::string path = dir.Write("song.mp3", "audio");
    FlagGuard flags{path, "dAS"};
    command_output("chattr +dAS " + shell_quote(path));
    const std::string lsattr = "lsattr " + shell_quote(path) + " | cut -d' ' -f1";
    const std::string before = command_output(lsattr);
    ASSERT_EQ(B_OK, copy_unchanged(path));
    EXPECT_EQ(before, command_output(lsattr));

    // Another user may save the file, but cannot set a security attribute it carries.
    ASSERT_EQ(0, chmod(dir.Path().c_str(), 0777));
    ASSERT_EQ(0, chown(path.c_str(), 65534, 65534));
    ASSERT_EQ(0, setxattr(path.c_str(), "security.brindle", "label", 5, 0));
    ino_t inode = stat_of(path).st_ino;
    int status = run_in_child([&] {
        if (!test_support::drop_privileges())
            return 2;
        return copy_unchanged(path) == REWRITE_ATTRIBUTE_NOT_KEPT ? 0 : 1;
    });
    EXPECT_EQ(0, status);
    EXPECT_EQ(inode, stat_of(path).st_ino);
    EXPECT_EQ(std::set<std::string>{"song.mp3"}, directory_entries(dir.Path()));
}

// The status line names why the ID3v2 tag was left: an immutable folder, an attribute the
// saving user cannot set.
TEST(RewriteFault, TheStatusLineNamesTheRealReasonARewriteWasRefused) {
    TempDir dir;
    std::string folder = dir / "music";
    ASSERT_EQ(0, mkdir(folder.c_str(), 0777));
    ASSERT_EQ(0, chmod(dir.Path().c_str(), 0755));
    std::string locked = make_tagged_mp3(dir, "music/locked.mp3", "", 0);
    std::string labelled = make_tagged_mp3(dir, "labelled.mp3", "", 0);
    ASSERT_EQ(0, chown(labelled.c_str(), 65534, 65534));
    ASSERT_EQ(0, chmod(dir.Path().c_str(), 0777));
    ASSERT_EQ(0, setxattr(labelled.c_str(), "security.brindle", "label", 5, 0));

    const std::string prefix = "brindle-player: line 3: save: the form was not saved (";
    FlagGuard immutable{folder, "i"};
    command_output("chattr +i " + shell_quote(folder));
    RunResult result = run_player(dir, "enable\nset title " + kLongTitle + "\nsave\n", {locked});
    EXPECT_EQ(result.err, prefix +
                              "locked.mp3 \u2014 saved, but not in its ID3v2 tag: its "
                              "folder cannot be changed)\n");

    PlayerSession other(dir, {labelled}, 65534);
    other.Send("enable");
    other.Send("set title " + kLongTitle);
    other.Send("save");
    result = other.Finish();
    // The player run as another user also warns about the test's roster folder.
    EXPECT_EQ(
        lines_starting(result.ErrLines(), "brindle-player:"),
        std::vector<std::string>{prefix + "labelled.mp3 \u2014 saved, but not in its ID3v2 "
                                          "tag: one of its attributes cannot be carried over)"});
}

// Kills while a 30 MB file is saved (writing the tag, copying the audio, just before the
// swap), and temporaries planted beside it: one nobody holds, one another save is writing
// (held locked), and a file another program's save was kept as. One more save leaves the
// file, the held temporary and the kept file, and nothing else.
TEST(RewriteFault, KilledSavesLeaveNothingBehindForLong) {
    TempDir dir;
    std::string audio = dir / "audio.mp3";
    make_mp3(audio);
    std::string frames = read_file(audio);
    while (frames.size() < (30u << 20))
        frames += frames;
    ASSERT_EQ(0, unlink(audio.c_str()));
    const std::string path =
        dir.Write("song.mp3", id3v2_tag(3, id3v2_text_frame(3, "TIT2", "Old")) + frames);
    const std::string old = read_file(path);

    const struct {
        long long writes;
        bool atRename;
    } kills[] = {{10, false}, {1 << 20, false}, {20 << 20, false}, {-1, true}};
    for (const auto &at : kills) {
        int status = run_in_child([&] {
            file_faults().writesBeforeKill = at.writes;
            if (at.atRename)
                file_faults().beforeRename = [] { kill(getpid(), SIGKILL); };
            return write_title(path, "A Longer Title") == B_OK ? 0 : 1;
        });
        EXPECT_EQ(128 + SIGKILL, status) << at.writes;
        EXPECT_TRUE(read_file(path) == old) << "the file changed, kill at " << at.writes;
    }

    dir.Write(".brindle-save-0123456789ab", "abandoned");
    const std::string held = dir.Write(".brindle-save-held", "being written");
    LockHolder holder(held);
    ASSERT_TRUE(holder.Held());
    dir.Write("song.mp3.brindle-kept-0123456789ab", "another program's save");

    ASSERT_EQ(B_OK, write_title(path, "A Longer Title"));
    EXPECT_EQ(directory_entries(dir.Path()),
              (std::set<std::string>{"song.mp3", ".brindle-save-held",
                                     "song.mp3.brindle-kept-0123456789ab"}));
}

// A copy changed behind the writer's back before the swap (a written piece, its length) is
// thrown away with the words that say what did not check out; the file keeps its bytes.
TEST(RewriteFault, ACopyThatDoesNotReadBackAsWrittenIsRefused) {
    TempDir dir;
    const std::string path = make_tagged_mp3(dir, "song.mp3", "", 0);
    const std::string old = read_file(path);

    file_faults().corruptCopyWrite = true;
    status_t status = write_title(path, kLongTitle);
    file_faults().corruptCopyWrite = false;
    EXPECT_EQ(CHECK_FIELD_WRONG, status);
    EXPECT_STREQ("a written field differs", check_failure_words(status));
    EXPECT_TRUE(read_file(path) == old);

    file_faults().beforeCopyFlush = [](int fd) {
        struct stat st;
        ASSERT_EQ(0, fstat(fd, &st));
        EXPECT_EQ(0, ftruncate(fd, st.st_size + 1));
    };
    status = write_title(path, kLongTitle);
    file_faults().beforeCopyFlush = nullptr;
    EXPECT_EQ(CHECK_LENGTH_WRONG, status);
    EXPECT_STREQ("its length differs", check_failure_words(status));
    EXPECT_TRUE(read_file(path) == old);
    EXPECT_EQ(std::set<std::string>{"song.mp3"}, directory_entries(dir.Path()));
}
