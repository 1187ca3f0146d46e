// Child processes for tests: a program run with its standard streams captured and
// everything bounded by a deadline (on expiry the child is killed, so no test can hang
// the suite), and forked children for real faults (dropped privileges, resource limits).
// The benchmarks start their processes here too (a CPU of their own, output discarded,
// the kernel's accounting of what the child used).
#ifndef BRINDLE_TESTS_COMMON_CHILD_PROCESS_H
#define BRINDLE_TESTS_COMMON_CHILD_PROCESS_H

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace test_support {

// Splits at '\n'; a last line without one counts too.
std::vector<std::string> split_lines(const std::string &text);
// Keeps the lines that start with `prefix`, in order.
std::vector<std::string> lines_starting(const std::vector<std::string> &lines,
                                        const std::string &prefix);

// The child's standard input.
enum class Input { kDevNull, kPipe, kClosed };

struct SpawnOptions {
    std::string directory;                   // working directory; "" keeps ours
    std::map<std::string, std::string> env;  // set in the child's environment
    std::vector<std::string> unset;          // removed from it, unless `env` sets them
    Input input = Input::kDevNull;
    uid_t dropToUser = 0;        // non-zero: run as this uid (and the same gid)
    bool discardOutput = false;  // standard output to /dev/null, not read (Output() stays "")
    int cpu = -1;                // >= 0: the child runs on this CPU alone
    int deadlineSeconds = 60;    // from the start; on expiry the child is killed
};

struct RunResult {
    int exitStatus = -1;    // -1 unless the process exited normally
    int signal = 0;         // the signal that ended it, if one did
    bool timedOut = false;  // the deadline passed before it was done
    std::string out;
    std::string err;
    // What the kernel counted for the child (and its waited-for children) once it ended.
    long peakKiB = 0;   // peak resident memory
    long switches = 0;  // voluntary and involuntary context switches, every thread

    std::vector<std::string> OutLines() const { return split_lines(out); }
    std::vector<std::string> ErrLines() const { return split_lines(err); }
};

class ChildProcess {
public:
    // argv[0] is the program's path (no search). Throws std::runtime_error when the child
    // cannot be started; a program that cannot be run exits with 127.
    ChildProcess(const std::vector<std::string> &argv, const SpawnOptions &options = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    pid_t Pid() const { return fPid; }
    // Writes `lines` and a newline to the child's standard input (Input::kPipe); false
    // when the child no longer reads it. Send() and CloseInput() touch the input alone, so
    // one thread may send while another waits for lines.
    bool Send(const std::string &lines);
    void CloseInput();
    void Signal(int signal);
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
    // Reads what arrives within the deadline (at most a second's wait); false when both
    // streams ended or the deadline passed.
    bool _ReadSome();
    bool _WaitFor(const std::function<bool(const std::string &)> &matches, std::string *found);

    pid_t fPid = -1;
    int fInFd = -1;
    int fOutFd = -1;
    int fErrFd = -1;
    std::string fOut;
    std::string fErr;
    size_t fScanned = 0;  // output up to the last line found
    long long fDeadline = 0;
    bool fTimedOut = false;
    bool fFinished = false;
};

// Runs `body` in a forked child and returns its exit status, or 128 + signal when it died;
// a child still running after `guardSeconds` is killed by SIGALRM (a guard against hangs,
// never a timing check).
int run_in_child(const std::function<int()> &body, unsigned guardSeconds = 30);
// Another program holding an exclusive flock on a file, as `flock FILE sleep` would: a forked
// child that takes the lock and waits, killed at destruction. Held() is true once the lock is
// taken (false when it could not be).
class LockHolder {
public:
    explicit LockHolder(const std::string &path);
    ~LockHolder();
    LockHolder(const LockHolder &) = delete;
    LockHolder &operator=(const LockHolder &) = delete;
    bool Held() const { return fHeld; }

private:
    pid_t fPid = -1;
    bool fHeld = false;
};

// Drops to the unprivileged user nobody (65534); for use inside run_in_child.
bool drop_privileges();

}  // namespace test_support

#endif  // BRINDLE_TESTS_COMMON_CHILD_PROCESS_H
