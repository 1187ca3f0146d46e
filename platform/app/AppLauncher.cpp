#include <AppLauncher.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <SystemIo.h>

namespace BPrivate {
namespace launcher {

namespace {

constexpr size_t kMaxEntrySize = 4096;

bool is_executable_file(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The first line of a regular file, without surrounding blanks; false if unreadable.
bool read_first_line(const std::string &path, std::string *line) {
    struct stat st;
    // Only regular files: opening a FIFO someone left there must not block us.
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    char buffer[kMaxEntrySize];
    const ssize_t count = brindle::retry_on_eintr([&] { return read(fd, buffer, sizeof(buffer)); });
    close(fd);
    if (count <= 0)
        return false;
    std::string text(buffer, static_cast<size_t>(count));
    text = text.substr(0, text.find('\n'));
    const char *blanks = " \t\r\f\v";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return false;
    size_t last = text.find_last_not_of(blanks);
    *line = text.substr(first, last - first + 1);
    return line->find('\0') == std::string::npos;
}

std::vector<std::string> entry_directories() {
    std::vector<std::string> directories;
    std::string beside = executable_directory();
    if (!beside.empty()) {
        directories.push_back(beside + "/apps");
        // Where `cmake --install` puts them, beside bin/.
        directories.push_back(beside + "/../lib/brindle/apps");
    }
    const char *data = getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') {
        directories.push_back(std::string(data) + "/brindle/apps");
    } else {
        const char *home = getenv("HOME");
        if (home != nullptr && home[0] == '/')
            directories.push_back(std::string(home) + "/.local/share/brindle/apps");
    }
    return directories;
}

bool find_on_path(const std::string &name, std::string *program) {
    const char *path = getenv("PATH");
    std::string directories = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= directories.size()) {
        size_t end = directories.find(':', start);
        if (end == std::string::npos)
            end = directories.size();
        std::string directory = directories.substr(start, end - start);
        // Only absolute directories: an empty or relative PATH entry would depend on the
        // current directory.
        if (!directory.empty() && directory[0] == '/' &&
            is_executable_file(directory + "/" + name)) {
            *program = directory + "/" + name;
            return true;
        }
        start = end + 1;
    }
    return false;
}

// What the children tell the parent through the pipe: which step, and a value.
struct Report {
    int32 kind;  // kStarted: value is the process id; kFailed: value is errno
    int32 value;
};
constexpr int32 kStarted = 1;
constexpr int32 kFailed = 2;

void report(int fd, int32 kind, int32 value) {
    Report message{kind, value};
    // Eight bytes, less than PIPE_BUF: written whole.
    (void)!write(fd, &message, sizeof(message));
}

}  // namespace

std::string executable_directory() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0)
        return std::string();
    std::string executable(path, static_cast<size_t>(length));
    size_t slash = executable.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : executable.substr(0, slash);
}

status_t find_program(const char *signature, std::string *program) {
    std::string entryName = signature;
    for (char &c : entryName) {
        if (c == '/')
            c = '%';
    }
    std::string line;
    bool found = false;
    for (const std::string &directory : entry_directories()) {
        if (read_first_line(directory + "/" + entryName, &line)) {
            found = true;
            break;
        }
    }
    if (!found)
        return B_LAUNCH_FAILED_APP_NOT_FOUND;

    if (line[0] == '/') {
        if (!is_executable_file(line))
            return B_LAUNCH_FAILED_APP_NOT_FOUND;
        *program = line;
        return B_OK;
    }
    // A relative path would depend on the current directory: only plain names.
    if (line.find('/') != std::string::npos)
        return B_LAUNCH_FAILED_APP_NOT_FOUND;
    std::string beside = executable_directory();
    if (!beside.empty() && is_executable_file(beside + "/" + line)) {
        *program = beside + "/" + line;
        return B_OK;
    }
    if (!find_on_path(line, program))
        return B_LAUNCH_FAILED_APP_NOT_FOUND;
    return B_OK;
}

status_t start_detached(const std::string &program, team_id *team) {
    // Everything the children need is prepared here: after fork() in a threaded process
    // only async-signal-safe calls are allowed.
    std::vector<char> path(program.begin(), program.end());
    path.push_back('\0');
    char *arguments[] = {path.data(), nullptr};

    int reports[2];
    if (pipe2(reports, O_CLOEXEC) != 0)
        return B_LAUNCH_FAILED_EXECUTABLE;

    pid_t middle = fork();
    if (middle < 0) {
        close(reports[0]);
        close(reports[1]);
        return B_LAUNCH_FAILED_EXECUTABLE;
    }
    if (middle == 0) {
        // The middle child: a new session, then the program in a grandchild, which
        // init adopts when we exit here.
        close(reports[0]);
        setsid();
        pid_t child = fork();
        if (child < 0) {
            report(reports[1], kFailed, errno);
            _exit(1);
        }
        if (child == 0) {
            struct sigaction defaults;
            memset(&defaults, 0, sizeof(defaults));
            defaults.sa_handler = SIG_DFL;
            for (int number = 1; number < NSIG; number++)
                sigaction(number, &defaults, nullptr);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            int input = open("/dev/null", O_RDONLY);
            if (input >= 0 && input != STDIN_FILENO) {
                dup2(input, STDIN_FILENO);
                close(input);
            }
            execv(path.data(), arguments);
            report(reports[1], kFailed, errno);
            _exit(127);
        }
        report(reports[1], kStarted, child);
        _exit(0);
    }

    close(reports[1]);
    int status = 0;
    brindle::retry_on_eintr([&] { return waitpid(middle, &status, 0); });
    // Reads until every writer is gone: the grandchild's copy closes at exec.
    team_id started = -1;
    bool failed = false;
    Report message;
    for (;;) {
        const ssize_t count =
            brindle::retry_on_eintr([&] { return read(reports[0], &message, sizeof(message)); });
        if (count != static_cast<ssize_t>(sizeof(message)))
            break;
        if (message.kind == kStarted)
            started = message.value;
        else
            failed = true;
    }
    close(reports[0]);
    if (failed || started < 0)
        return B_LAUNCH_FAILED_EXECUTABLE;
    if (team != nullptr)
        *team = started;
    return B_OK;
}

}  // namespace launcher
}  // namespace BPrivate
