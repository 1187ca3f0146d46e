// Running the real player with the add-on, and reading what it left in real files with
// tools we did not write (getfattr, TagLib, lame for the MP3s themselves).
#ifndef BRINDLE_TESTS_ADDON_HARNESS_H
#define BRINDLE_TESTS_ADDON_HARNESS_H

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace addon_test {

// Build outputs under test.
std::string player_path();
std::string addon_path();
std::string launcher_path();

// A fresh directory under /tmp (ext4 here, with user xattrs), removed with everything
// in it when the object goes. Mounts made under it are unmounted first.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &Path() const { return fPath; }
    std::string operator/(const std::string &name) const { return fPath + "/" + name; }
    // Mounts a ramfs (no user xattrs) at `name`; false when mounting is not allowed.
    bool MountRamfs(const std::string &name);

private:
    std::string fPath;
    std::vector<std::string> fMounts;
};

struct RunResult {
    int exitStatus = -1;  // -1 unless the process exited normally
    bool timedOut = false;
    std::string out;
    std::string err;
    std::vector<std::string> Lines() const;
};

// Splits at '\n'; a last line without one counts too.
std::vector<std::string> split_lines(const std::string &text);

struct SpawnOptions {
    std::string directory;                   // working directory; "" keeps ours
    std::map<std::string, std::string> env;  // set in the child's environment
    std::vector<std::string> unset;          // removed from it
    bool pipeInput = false;                  // stdin: a pipe (else /dev/null)
    uid_t dropToUser = 0;                    // non-zero: run as this uid/gid
};

// A child process with its standard streams captured. Everything it does is bounded by
// a deadline: on expiry the child is killed, so nothing can hang the suite.
class Process {
public:
    static constexpr int kDeadlineSeconds = 60;

    Process(const std::vector<std::string> &argv, const SpawnOptions &options);
    ~Process();
    Process(const Process &) = delete;
    Process &operator=(const Process &) = delete;

    pid_t Pid() const { return fPid; }
    // Writes `line` and a newline to the child's standard input.
    bool Send(const std::string &line);
    void CloseInput();
    // Reads standard output until a whole line equal to `line` arrives after the last
    // line found this way (true), or output ends or the deadline passes (false).
    bool WaitForLine(const std::string &line);
    // The same for the first line starting with `prefix`; "" when none came.
    std::string WaitForLineStarting(const std::string &prefix);
    // Reads until both output streams end and the child exits (or the deadline).
    RunResult Finish();
    // Everything read from standard output so far.
    const std::string &Output() const { return fOut; }

private:
    bool _Pump(int timeoutMs);
    bool _WaitFor(const std::function<bool(const std::string &)> &matches, std::string *found);
    void _Kill();

    pid_t fPid = -1;
    int fIn = -1;
    int fOutFd = -1;
    int fErrFd = -1;
    std::string fOut;
    std::string fErr;
    size_t fScanned = 0;  // output before this offset was searched already
    long long fDeadline;
    bool fTimedOut = false;
};

// The roster directory the player of a test uses: private to the test, so players of
// tests running side by side never meet.
std::string runtime_dir(const TempDir &dir);

// Runs the player with the add-on on `script` (written to a file in `dir`) and `files`.
RunResult run_player(const TempDir &dir, const std::string &script,
                     const std::vector<std::string> &files = {});

// The player with the add-on, reading commands from a pipe (`--script -`).
// Sync() returns once every command sent before it has been carried out.
class PlayerSession {
public:
    PlayerSession(const TempDir &dir, const std::vector<std::string> &files, uid_t user = 0);
    bool Send(const std::string &command) { return fProcess.Send(command); }
    bool Sync();
    RunResult Finish() { return fProcess.Finish(); }
    Process &GetProcess() { return fProcess; }

private:
    Process fProcess;
};

// Files.
void write_file(const std::string &path, const std::string &bytes);
std::string read_file(const std::string &path);
off_t file_size(const std::string &path);
// A short mono 16-bit WAV (a sine), as a test would record one.
std::string make_wav_bytes(double seconds, int frequency);
// An MP3 without tags, encoded by lame from a WAV (made once, copied for each call).
void make_mp3(const std::string &path);
// The text "has_id3_info" prints for a file without a tag: its bytes at -128, at most
// three, up to the first NUL.
std::string bytes_at_tag_position(const std::string &path);
// A 128-byte ID3v1 tag built field by field.
std::string id3v1_tag(const std::string &title, const std::string &artist, const std::string &album,
                      unsigned char genre);

// Attributes as the platform stores them: xattr "user.haiku.NAME", value = type code
// (little-endian) + bytes.
void set_string_attr(const std::string &path, const std::string &name, const std::string &text);
void set_int32_attr(const std::string &path, const std::string &name, int value);
// Every extended attribute of `path` as getfattr reports it (name -> raw bytes).
std::map<std::string, std::string> getfattr(const std::string &path);
// The stored value getfattr reports for attribute NAME, as the bytes the platform keeps.
std::string stored_string(const std::string &text);  // "RTSC" + text + NUL
std::string stored_int32(int value);                 // "GNOL" + 4 bytes little-endian

// The ID3v1 tag as TagLib reads it.
struct TagLibTag {
    bool present = false;
    std::string title, artist, album;
    unsigned genre = 255;
};
TagLibTag taglib_id3v1(const std::string &path);

// Answers of the player's `form` command, by field ("title" -> "Song").
std::map<std::string, std::string> form_answers(const std::vector<std::string> &lines,
                                                int which = 0);
// Lines starting with `prefix`, in order.
std::vector<std::string> lines_starting(const std::vector<std::string> &lines,
                                        const std::string &prefix);
int count_lines(const std::vector<std::string> &lines, const std::string &line);

}  // namespace addon_test

#endif  // BRINDLE_TESTS_ADDON_HARNESS_H
