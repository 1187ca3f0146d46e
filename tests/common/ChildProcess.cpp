#include "ChildProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "SystemIo.h"
#include "TestFiles.h"

extern char **environ;

namespace test_support {

namespace {

long long now_ms() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

// The environment for a child: ours, without `unset`, with `extra` set on top. Made before
// fork, so the child only has to exec.
std::vector<std::string> child_environment(const std::map<std::string, std::string> &extra,
                                           const std::vector<std::string> &unset) {
    std::vector<std::string> env;
    for (char **entry = environ; *entry != nullptr; entry++) {
        std::string text(*entry);
        std::string name = text.substr(0, text.find('='));
        if (extra.count(name) == 0 && std::find(unset.begin(), unset.end(), name) == unset.end())
            env.push_back(text);
    }
    for (const auto &pair : extra)
        env.push_back(pair.first + "=" + pair.second);
    return env;
}

bool become(uid_t user) {
    gid_t group = user;
    return setgroups(0, nullptr) == 0 && setresgid(group, group, group) == 0 &&
           setresuid(user, user, user) == 0 && geteuid() == user;
}

}  // namespace

std::vector<std::string> split_lines(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> lines_starting(const std::vector<std::string> &lines,
                                        const std::string &prefix) {
    std::vector<std::string> kept;
    for (const std::string &line : lines) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            kept.push_back(line);
    }
    return kept;
}

ChildProcess::ChildProcess(const std::vector<std::string> &argv, const SpawnOptions &options)
    : fDeadline(now_ms() + options.deadlineSeconds * 1000LL) {
    if (argv.empty())
        throw std::runtime_error("no program to run");
    const bool pipeInput = options.input == Input::kPipe;
    int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2];
    const bool pipeOutput = !options.discardOutput;
    if ((pipeInput && pipe2(in, O_CLOEXEC) != 0) || (pipeOutput && pipe2(out, O_CLOEXEC) != 0) ||
        pipe2(err, O_CLOEXEC) != 0) {
        fail_with_errno("pipe");
    }
    std::vector<std::string> env = child_environment(options.env, options.unset);
    std::vector<char *> args, envp;
    for (const std::string &arg : argv)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    for (const std::string &entry : env)
        envp.push_back(const_cast<char *>(entry.c_str()));
    envp.push_back(nullptr);

    fflush(nullptr);
    fPid = fork();
    if (fPid < 0)
        fail_with_errno("fork");
    if (fPid == 0) {
        if (options.input == Input::kClosed)
            close(STDIN_FILENO);
        else
            dup2(pipeInput ? in[0] : open("/dev/null", O_RDONLY | O_CLOEXEC), STDIN_FILENO);
        dup2(pipeOutput ? out[1] : open("/dev/null", O_WRONLY | O_CLOEXEC), STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        if (options.cpu >= 0) {
            cpu_set_t one;
            CPU_ZERO(&one);
            CPU_SET(options.cpu, &one);
            sched_setaffinity(0, sizeof one, &one);
        }
        if (!options.directory.empty() && chdir(options.directory.c_str()) != 0)
            _exit(126);
        if (options.dropToUser != 0 && !become(options.dropToUser))
            _exit(126);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    if (pipeInput) {
        close(in[0]);
        fInFd = in[1];
    }
    if (pipeOutput) {
        close(out[1]);
        fOutFd = out[0];
    }
    close(err[1]);
    fErrFd = err[0];
}

ChildProcess::~ChildProcess() {
    if (!fFinished) {
        kill(fPid, SIGKILL);
        waitpid(fPid, nullptr, 0);
    }
    for (int fd : {fInFd, fOutFd, fErrFd}) {
        if (fd >= 0)
            close(fd);
    }
}

bool ChildProcess::Send(const std::string &lines) {
    const std::string text = lines + "\n";
    return fInFd >= 0 && brindle::write_all(fInFd, text.data(), text.size()) == 0;
}

void ChildProcess::CloseInput() {
    if (fInFd >= 0)
        close(fInFd);
    fInFd = -1;
}

void ChildProcess::Signal(int signal) {
    if (!fFinished)
        kill(fPid, signal);
}

bool ChildProcess::_ReadSome() {
    if (fOutFd < 0 && fErrFd < 0)
        return false;
    const long long left = fDeadline - now_ms();
    if (left <= 0) {
        // The pipes may be held by grandchildren; stop reading them.
        fTimedOut = true;
        return false;
    }
    pollfd fds[2] = {{fOutFd, POLLIN, 0}, {fErrFd, POLLIN, 0}};  // poll skips fds below 0
    int ready = poll(fds, 2, static_cast<int>(std::min(left, 1000LL)));
    if (ready < 0)
        return errno == EINTR;
    int *ends[2] = {&fOutFd, &fErrFd};
    std::string *texts[2] = {&fOut, &fErr};
    for (int i = 0; i < 2 && ready > 0; i++) {
        if (fds[i].revents == 0 || *ends[i] < 0)
            continue;
        char buffer[65536];
        ssize_t count = read(*ends[i], buffer, sizeof(buffer));
        if (count > 0) {
            texts[i]->append(buffer, count);
        } else if (count == 0 || errno != EINTR) {
            close(*ends[i]);
            *ends[i] = -1;
        }
    }
    return fOutFd >= 0 || fErrFd >= 0;
}

bool ChildProcess::_WaitFor(const std::function<bool(const std::string &)> &matches,
                            std::string *found) {
    for (;;) {
        // Whole lines only: a line still being written is looked at once it ends.
        size_t start = fScanned;
        size_t end;
        while ((end = fOut.find('\n', start)) != std::string::npos) {
            std::string line = fOut.substr(start, end - start);
            if (matches(line)) {
                fScanned = end + 1;
                *found = line;
                return true;
            }
            start = end + 1;
        }
        if (!_ReadSome())
            return false;
    }
}

bool ChildProcess::WaitForLine(const std::string &line) {
    std::string found;
    return _WaitFor([&line](const std::string &each) { return each == line; }, &found);
}

std::string ChildProcess::WaitForLineStarting(const std::string &prefix) {
    std::string found;
    _WaitFor(
        [&prefix](const std::string &each) { return each.compare(0, prefix.size(), prefix) == 0; },
        &found);
    return found;
}

RunResult ChildProcess::Finish() {
    RunResult result;
    if (fFinished)
        return result;
    CloseInput();
    while (_ReadSome()) {
    }
    int status = 0;
    struct rusage usage = {};
    // Woken the moment the child ends (a benchmark times it), where the kernel can tell.
    const int ended = static_cast<int>(syscall(SYS_pidfd_open, fPid, 0));
    pid_t done;
    while ((done = wait4(fPid, &status, WNOHANG, &usage)) != fPid) {
        if (done < 0 && errno != EINTR)
            break;
        const long long left = fDeadline - now_ms();
        if (left <= 0) {
            fTimedOut = true;
            kill(fPid, SIGKILL);
            done = wait4(fPid, &status, 0, &usage);
            break;
        }
        pollfd end = {ended, POLLIN, 0};
        if (ended < 0 || poll(&end, 1, static_cast<int>(std::min(left, 1000LL))) < 0)
            usleep(10000);
    }
    if (ended >= 0)
        close(ended);
    fFinished = true;
    result.peakKiB = usage.ru_maxrss;
    result.switches = usage.ru_nvcsw + usage.ru_nivcsw;
    if (done == fPid && WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    else if (done == fPid && WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    result.timedOut = fTimedOut;
    result.out = fOut;
    result.err = fErr;
    return result;
}

int run_in_child(const std::function<int()> &body, unsigned guardSeconds) {
    fflush(nullptr);
    pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        alarm(guardSeconds);
        int status = body();
        fflush(stdout);
        _exit(status);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

LockHolder::LockHolder(const std::string &path) {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0)
        return;
    fflush(nullptr);
    fPid = fork();
    if (fPid == 0) {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        const char held = fd >= 0 && flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
        if (write(ready[1], &held, 1) != 1 || held != 'y')
            _exit(1);
        for (;;)
            pause();
    }
    close(ready[1]);
    char answer = 'n';
    fHeld = fPid > 0 && read(ready[0], &answer, 1) == 1 && answer == 'y';
    close(ready[0]);
}

LockHolder::~LockHolder() {
    if (fPid > 0) {
        kill(fPid, SIGKILL);
        waitpid(fPid, nullptr, 0);
    }
}

bool drop_privileges() {
    return become(65534);
}

}  // namespace test_support
