// Running the real brindle-player in a child process, with its standard streams
// captured and everything bounded by a deadline: on expiry the child is killed, so no
// test can hang the suite.
#ifndef BRINDLE_TESTS_PLAYER_PLAYER_PROCESS_H
#define BRINDLE_TESTS_PLAYER_PLAYER_PROCESS_H

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace player_test {

// Build outputs under test.
std::string player_path();
std::string interface_addon_path();   // id "sp-test", plus a non-interface "sp-test-filter"
std::string default_id_addon_path();  // the same with id "sp-brindle"
std::string bad_magic_addon_path();   // descriptor magic is not 'face'
std::string bad_ops_addon_path();     // operations table magic is not 'filt'
std::string closing_addon_path();     // its window asks to close when shown
std::string no_plugin_list_path();    // an image without get_plugin_list

// A fresh directory under /tmp, removed with its contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &Path() const { return fPath; }
    std::string operator/(const std::string &name) const { return fPath + "/" + name; }
    // Writes `text` to the file `name` in the directory; returns its path.
    std::string Write(const std::string &name, const std::string &text) const;

private:
    std::string fPath;
};

struct RunResult {
    int exitStatus = -1;  // -1 unless the process exited normally
    int signal = 0;       // the signal that ended it, if one did
    bool timedOut = false;
    std::string out;
    std::string err;

    std::vector<std::string> OutLines() const;
    std::vector<std::string> ErrLines() const;
};

// Splits at '\n'; a last line without one counts too.
std::vector<std::string> split_lines(const std::string &text);
// Keeps the lines that start with `prefix`.
std::vector<std::string> lines_starting(const std::vector<std::string> &lines,
                                        const std::string &prefix);

enum class Input { kDevNull, kPipe, kClosed };

class PlayerProcess {
public:
    static constexpr int kDeadlineSeconds = 60;

    // argv[0] is the program. `env` is added to the child's environment.
    PlayerProcess(const std::vector<std::string> &argv, Input input,
                  const std::map<std::string, std::string> &env = {});
    ~PlayerProcess();
    PlayerProcess(const PlayerProcess &) = delete;
    PlayerProcess &operator=(const PlayerProcess &) = delete;

    pid_t Pid() const { return fPid; }
    bool Send(const std::string &text);
    void CloseInput();
    void Signal(int signal);
    // Reads standard output until a whole line equal to `line` has arrived (true), or
    // output ends or the deadline passes (false).
    bool WaitForLine(const std::string &line);
    // Reads until both output streams end and the child exits (or the deadline).
    RunResult Finish();

private:
    // Reads what is available within the deadline; false when both streams ended or
    // the deadline passed.
    bool _ReadSome();
    bool _PastDeadline() const;

    pid_t fPid = -1;
    int fIn = -1;
    int fOut = -1;
    int fErr = -1;
    std::string fOutText;
    std::string fErrText;
    size_t fScanned = 0;
    long long fDeadline = 0;
    bool fFinished = false;
};

// Runs `brindle-player --add-on A... --script FILE EXTRA...` with `script` as FILE's
// contents and standard input from /dev/null.
RunResult run_script(const std::vector<std::string> &addOns, const std::string &script,
                     const std::vector<std::string> &extra = {});

}  // namespace player_test

#endif  // BRINDLE_TESTS_PLAYER_PLAYER_PROCESS_H
