#include "PlayerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace player_test {

std::string player_path() {
    return BRINDLE_BUILD_DIR "/brindle-player";
}
std::string interface_addon_path() {
    return TEST_INTERFACE_ADDON;
}
std::string default_id_addon_path() {
    return TEST_DEFAULT_ID_ADDON;
}
std::string bad_magic_addon_path() {
    return TEST_BAD_MAGIC_ADDON;
}
std::string bad_ops_addon_path() {
    return TEST_BAD_OPS_ADDON;
}
std::string closing_addon_path() {
    return TEST_CLOSING_ADDON;
}
std::string no_plugin_list_path() {
    return TEST_NO_PLUGIN_LIST_ADDON;
}

namespace {

long long now_ms() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

}  // namespace

TempDir::TempDir() {
    char pattern[] = "/tmp/brindle-player-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    fPath = pattern;
}

TempDir::~TempDir() {
    std::string command = "rm -rf '" + fPath + "'";
    if (system(command.c_str()) != 0)
        fprintf(stderr, "could not remove %s\n", fPath.c_str());
}

std::string TempDir::Write(const std::string &name, const std::string &text) const {
    const std::string path = *this / name;
    std::ofstream file(path, std::ios::binary);
    file << text;
    return path;
}

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

std::vector<std::string> RunResult::OutLines() const {
    return split_lines(out);
}
std::vector<std::string> RunResult::ErrLines() const {
    return split_lines(err);
}

PlayerProcess::PlayerProcess(const std::vector<std::string> &argv, Input input,
                             const std::map<std::string, std::string> &env) {
    int in[2] = {-1, -1};
    int out[2];
    int err[2];
    if ((input == Input::kPipe && pipe2(in, O_CLOEXEC) != 0) || pipe2(out, O_CLOEXEC) != 0 ||
        pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    fDeadline = now_ms() + kDeadlineSeconds * 1000LL;
    fPid = fork();
    if (fPid < 0)
        throw std::runtime_error("fork failed");
    if (fPid == 0) {
        if (input == Input::kClosed)
            close(STDIN_FILENO);
        else
            dup2(input == Input::kPipe ? in[0] : open("/dev/null", O_RDONLY), STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (const auto &variable : env)
            setenv(variable.first.c_str(), variable.second.c_str(), 1);
        std::vector<char *> args;
        for (const std::string &argument : argv)
            args.push_back(const_cast<char *>(argument.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    if (input == Input::kPipe) {
        close(in[0]);
        fIn = in[1];
    }
    close(out[1]);
    close(err[1]);
    fOut = out[0];
    fErr = err[0];
}

PlayerProcess::~PlayerProcess() {
    if (!fFinished) {
        kill(fPid, SIGKILL);
        waitpid(fPid, nullptr, 0);
    }
    for (int fd : {fIn, fOut, fErr}) {
        if (fd >= 0)
            close(fd);
    }
}

bool PlayerProcess::Send(const std::string &text) {
    if (fIn < 0)
        return false;
    size_t written = 0;
    while (written < text.size()) {
        ssize_t count = write(fIn, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

void PlayerProcess::CloseInput() {
    if (fIn >= 0)
        close(fIn);
    fIn = -1;
}

void PlayerProcess::Signal(int signal) {
    kill(fPid, signal);
}

bool PlayerProcess::_PastDeadline() const {
    return now_ms() >= fDeadline;
}

bool PlayerProcess::_ReadSome() {
    struct pollfd fds[2] = {{fOut, POLLIN, 0}, {fErr, POLLIN, 0}};
    if (fOut < 0 && fErr < 0)
        return false;
    const long long left = fDeadline - now_ms();
    if (left <= 0)
        return false;
    int ready = poll(fds, 2, static_cast<int>(left));
    if (ready < 0)
        return errno == EINTR;
    if (ready == 0)
        return false;
    int *fds_[2] = {&fOut, &fErr};
    std::string *texts[2] = {&fOutText, &fErrText};
    for (int i = 0; i < 2; i++) {
        if (fds[i].revents == 0 || *fds_[i] < 0)
            continue;
        char buffer[65536];
        ssize_t count = read(*fds_[i], buffer, sizeof(buffer));
        if (count > 0) {
            texts[i]->append(buffer, count);
        } else if (count == 0 || errno != EINTR) {
            close(*fds_[i]);
            *fds_[i] = -1;
        }
    }
    return fOut >= 0 || fErr >= 0;
}

bool PlayerProcess::WaitForLine(const std::string &line) {
    for (;;) {
        // Look at whole lines after the last one found.
        size_t start = fScanned;
        size_t end;
        while ((end = fOutText.find('\n', start)) != std::string::npos) {
            if (fOutText.compare(start, end - start, line) == 0) {
                fScanned = end + 1;
                return true;
            }
            start = end + 1;
        }
        if (!_ReadSome())
            return false;
    }
}

RunResult PlayerProcess::Finish() {
    CloseInput();
    RunResult result;
    while (_ReadSome()) {
    }
    int status = 0;
    for (;;) {
        pid_t done = waitpid(fPid, &status, WNOHANG);
        if (done == fPid)
            break;
        if (_PastDeadline()) {
            result.timedOut = true;
            kill(fPid, SIGKILL);
            waitpid(fPid, &status, 0);
            break;
        }
        usleep(10000);
    }
    fFinished = true;
    if (WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    result.out = fOutText;
    result.err = fErrText;
    return result;
}

RunResult run_script(const std::vector<std::string> &addOns, const std::string &script,
                     const std::vector<std::string> &extra) {
    TempDir directory;
    const std::string scriptPath = directory.Write("script", script);
    std::vector<std::string> argv = {player_path()};
    for (const std::string &addOn : addOns) {
        argv.push_back("--add-on");
        argv.push_back(addOn);
    }
    argv.push_back("--script");
    argv.push_back(scriptPath);
    argv.insert(argv.end(), extra.begin(), extra.end());
    // A roster of its own: no other player (or test) sees this one, nor it them.
    PlayerProcess process(argv, Input::kDevNull, {{"XDG_RUNTIME_DIR", directory.Path()}});
    return process.Finish();
}

}  // namespace player_test
