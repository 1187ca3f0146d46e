// Running the real player with the add-on, and reading what it left in real files with
// tools we did not write (getfattr, TagLib, lame for the MP3s themselves).
#ifndef BRINDLE_TESTS_COMMON_ADDON_HARNESS_H
#define BRINDLE_TESTS_COMMON_ADDON_HARNESS_H

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "AudioFiles.h"
#include "ChildProcess.h"
#include "PlayerRunner.h"
#include "TestFiles.h"

namespace addon_test {

using test_support::addon_path;
using test_support::config_dir;
using test_support::launcher_path;
using test_support::player_path;
using test_support::runtime_dir;
using test_support::TempDir;

using test_support::ChildProcess;
using test_support::drawn_options;
using test_support::lines_starting;
using test_support::player_options;
using test_support::RunResult;
using test_support::SpawnOptions;
using test_support::split_lines;

// Running players started from `player` (default: the build's) with this roster
// directory: the ones a launcher started.
std::vector<pid_t> players_using(const std::string &runtime, const std::string &player = "");

// Ends, whatever happens in a test, the players it made a launcher start.
struct PlayerReaper {
    std::string runtime;
    std::string player;  // "" for the build's
    ~PlayerReaper();
};

// Runs the player with the add-on on `script` (written to a file in `dir`) and `files`;
// through `launcher` when one is given (say {"/usr/bin/prlimit", "--fsize=N"}).
RunResult run_player(const TempDir &dir, const std::string &script,
                     const std::vector<std::string> &files = {},
                     const std::vector<std::string> &launcher = {});

// The player with the add-on, taking commands from a pipe (`argv` should end in
// `--script -`, or take typed commands).
class CommandedPlayer {
public:
    CommandedPlayer(const std::vector<std::string> &argv, SpawnOptions options);
    // Sends `command` without waiting for it to be carried out.
    bool Send(const std::string &command) { return fProcess.Send(command); }
    // Returns once every command sent before has been carried out (false when the player
    // stopped answering).
    bool Sync();
    // Sends `command`; returns the answer lines ("= ...") it gave (none when the player
    // stopped answering).
    std::vector<std::string> Ask(const std::string &command);
    // The first answer of `command` that starts with `prefix`, or "".
    std::string AskFor(const std::string &command, const std::string &prefix);
    // Asks `command` until one of its answers is `answer` (false when the time limit
    // passes or the player ends first).
    bool AskUntil(const std::string &command, const std::string &answer);
    // Reads standard output until the whole line `line` comes.
    bool WaitForLine(const std::string &line) { return fProcess.WaitForLine(line); }
    // Everything it wrote to standard output so far.
    const std::string &Output() const { return fProcess.Output(); }
    pid_t Pid() const { return fProcess.Pid(); }
    // Closes its input (as the end of a script) and waits for it to end.
    RunResult Finish() { return fProcess.Finish(); }
    // Sends `quit` and waits for the player to end.
    RunResult Quit();

private:
    ChildProcess fProcess;
    bool fGone = false;  // it stopped answering
};

// The headless player with the add-on on `files`, run as `user` when one is given.
class PlayerSession : public CommandedPlayer {
public:
    PlayerSession(const TempDir &dir, const std::vector<std::string> &files, uid_t user = 0);
};

// Files.
using test_support::file_size;
using test_support::getfattr_all;
using test_support::id3v1_tag;
using test_support::make_audio;
using test_support::make_mp3;
using test_support::read_file;
using test_support::write_file;
// The text "has_id3_info" prints for a file without a tag: its bytes at -128, at most
// three, up to the first NUL.
std::string bytes_at_tag_position(const std::string &path);

// Attributes as the platform stores them: xattr "user.haiku.NAME", value = type code
// (little-endian) + bytes.
void set_string_attr(const std::string &path, const std::string &name, const std::string &text);
void set_int32_attr(const std::string &path, const std::string &name, int value);
// The stored value getfattr reports for attribute NAME, as the bytes the platform keeps.
std::string stored_string(const std::string &text);  // "RTSC" + text + NUL
std::string stored_int32(int value);                 // "GNOL" + 4 bytes little-endian

// Everything a save could change about a file: its bytes, its extended attributes, and
// its modification and change times (attribute writes move the change time).
struct FileState {
    std::string bytes;
    std::map<std::string, std::string> attributes;
    long long mtime = 0, ctime = 0;  // nanoseconds

    bool operator==(const FileState &other) const {
        return bytes == other.bytes && attributes == other.attributes && mtime == other.mtime &&
               ctime == other.ctime;
    }
};
FileState file_state(const std::string &path);

// The ID3v1 tag as TagLib reads it.
struct TagLibTag {
    bool present = false;
    std::string title, artist, album;
    unsigned genre = 255;
};
TagLibTag taglib_id3v1(const std::string &path);

// Writes an ID3v1 tag with TagLib (Latin-1 text, as TagLib keeps it), replacing any.
void taglib_write_id3v1(const std::string &path, const std::string &title,
                        const std::string &artist, const std::string &album, unsigned genre);

// The texts the player's `status` command answered, in order.
std::vector<std::string> status_answers(const std::vector<std::string> &lines);

// Answers of the player's `form` command, by field ("title" -> "Song").
std::map<std::string, std::string> form_answers(const std::vector<std::string> &lines,
                                                int which = 0);
int count_lines(const std::vector<std::string> &lines, const std::string &line);

}  // namespace addon_test

#endif  // BRINDLE_TESTS_COMMON_ADDON_HARNESS_H
