#include "AddonHarness.h"

#include <fcntl.h>
#include <ftw.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>

#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>

extern char **environ;

namespace addon_test {

namespace {

long long now_ms() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

[[noreturn]] void fail(const std::string &what) {
    throw std::runtime_error(what + ": " + strerror(errno));
}

int remove_entry(const char *path, const struct stat *, int, struct FTW *) {
    remove(path);
    return 0;
}

void put32(std::string *out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out->push_back(static_cast<char>((value >> shift) & 0xff));
}

void put16(std::string *out, uint16_t value) {
    out->push_back(static_cast<char>(value & 0xff));
    out->push_back(static_cast<char>(value >> 8));
}

std::string hex_to_bytes(const std::string &hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// The environment for a child: ours, without `unset`, with `extra` set on top.
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

}  // namespace

std::string player_path() {
    return std::string(BRINDLE_BUILD_DIR) + "/brindle-player";
}
std::string addon_path() {
    return std::string(BRINDLE_BUILD_DIR) + "/add-ons/brindle.so";
}
std::string launcher_path() {
    return std::string(BRINDLE_BUILD_DIR) + "/brindle";
}

TempDir::TempDir() {
    char pattern[] = "/tmp/brindle-addon-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        fail("mkdtemp");
    fPath = pattern;
}

TempDir::~TempDir() {
    for (auto it = fMounts.rbegin(); it != fMounts.rend(); ++it)
        umount2(it->c_str(), MNT_DETACH);
    nftw(fPath.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

bool TempDir::MountRamfs(const std::string &name) {
    std::string path = *this / name;
    if (mkdir(path.c_str(), 0755) != 0)
        return false;
    if (mount("none", path.c_str(), "ramfs", 0, nullptr) != 0)
        return false;
    fMounts.push_back(path);
    return true;
}

std::vector<std::string> split_lines(const std::string &text) {
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start < text.size()) {
        std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> RunResult::Lines() const {
    return split_lines(out);
}

Process::Process(const std::vector<std::string> &argv, const SpawnOptions &options)
    : fDeadline(now_ms() + kDeadlineSeconds * 1000LL) {
    int in[2] = {-1, -1}, out[2], err[2];
    if ((options.pipeInput && pipe2(in, O_CLOEXEC) != 0) || pipe2(out, O_CLOEXEC) != 0 ||
        pipe2(err, O_CLOEXEC) != 0) {
        fail("pipe");
    }
    std::vector<std::string> env = child_environment(options.env, options.unset);
    std::vector<char *> args, envp;
    for (const std::string &arg : argv)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    for (const std::string &entry : env)
        envp.push_back(const_cast<char *>(entry.c_str()));
    envp.push_back(nullptr);

    fPid = fork();
    if (fPid < 0)
        fail("fork");
    if (fPid == 0) {
        int input = options.pipeInput ? in[0] : open("/dev/null", O_RDONLY);
        dup2(input, 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        if (!options.directory.empty() && chdir(options.directory.c_str()) != 0)
            _exit(126);
        if (options.dropToUser != 0) {
            gid_t gid = options.dropToUser;
            if (setgroups(0, nullptr) != 0 || setresgid(gid, gid, gid) != 0 ||
                setresuid(options.dropToUser, options.dropToUser, options.dropToUser) != 0) {
                _exit(126);
            }
        }
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    if (options.pipeInput) {
        close(in[0]);
        fIn = in[1];
    }
    close(out[1]);
    close(err[1]);
    fOutFd = out[0];
    fErrFd = err[0];
}

Process::~Process() {
    if (fPid > 0) {
        _Kill();
        waitpid(fPid, nullptr, 0);
    }
    for (int fd : {fIn, fOutFd, fErrFd}) {
        if (fd >= 0)
            close(fd);
    }
}

bool Process::Send(const std::string &line) {
    if (fIn < 0)
        return false;
    std::string text = line + "\n";
    const char *data = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t written = write(fIn, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

void Process::CloseInput() {
    if (fIn >= 0)
        close(fIn);
    fIn = -1;
}

bool Process::_Pump(int timeoutMs) {
    pollfd fds[2];
    int count = 0;
    for (int fd : {fOutFd, fErrFd}) {
        if (fd >= 0)
            fds[count++] = {fd, POLLIN, 0};
    }
    if (count == 0)
        return false;
    int ready = poll(fds, count, timeoutMs);
    if (ready <= 0)
        return ready == 0 || errno == EINTR;
    for (int i = 0; i < count; i++) {
        if (fds[i].revents == 0)
            continue;
        char buffer[4096];
        ssize_t length = read(fds[i].fd, buffer, sizeof(buffer));
        bool isOut = fds[i].fd == fOutFd;
        if (length > 0) {
            (isOut ? fOut : fErr).append(buffer, length);
        } else if (length == 0 || errno != EINTR) {
            close(fds[i].fd);
            (isOut ? fOutFd : fErrFd) = -1;
        }
    }
    return true;
}

bool Process::WaitForLine(const std::string &line) {
    std::string found;
    return _WaitFor([&line](const std::string &each) { return each == line; }, &found);
}

std::string Process::WaitForLineStarting(const std::string &prefix) {
    std::string found;
    _WaitFor(
        [&prefix](const std::string &each) { return each.compare(0, prefix.size(), prefix) == 0; },
        &found);
    return found;
}

bool Process::_WaitFor(const std::function<bool(const std::string &)> &matches,
                       std::string *found) {
    while (true) {
        // Whole lines only: a line still being written is looked at once it ends.
        std::string::size_type end;
        while ((end = fOut.find('\n', fScanned)) != std::string::npos) {
            std::string line = fOut.substr(fScanned, end - fScanned);
            fScanned = end + 1;
            if (matches(line)) {
                *found = line;
                return true;
            }
        }
        long long left = fDeadline - now_ms();
        if (left <= 0 || fOutFd < 0) {
            fTimedOut = left <= 0;
            return false;
        }
        _Pump(static_cast<int>(left < 1000 ? left : 1000));
    }
}

void Process::_Kill() {
    kill(fPid, SIGKILL);
}

RunResult Process::Finish() {
    CloseInput();
    while (fOutFd >= 0 || fErrFd >= 0) {
        long long left = fDeadline - now_ms();
        if (left <= 0) {
            fTimedOut = true;
            _Kill();
            // The pipes may be held by grandchildren; stop reading them.
            break;
        }
        _Pump(static_cast<int>(left < 1000 ? left : 1000));
    }
    RunResult result;
    int status = 0;
    while (true) {
        pid_t done = waitpid(fPid, &status, WNOHANG);
        if (done == fPid)
            break;
        if (now_ms() > fDeadline) {
            fTimedOut = true;
            _Kill();
            waitpid(fPid, &status, 0);
            break;
        }
        usleep(10000);
    }
    fPid = -1;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.timedOut = fTimedOut;
    result.out = fOut;
    result.err = fErr;
    return result;
}

std::string runtime_dir(const TempDir &dir) {
    std::string path = dir / "runtime";
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        fail("mkdir " + path);
    return path;
}

namespace {

std::vector<std::string> player_argv(const std::string &script,
                                     const std::vector<std::string> &files) {
    std::vector<std::string> argv = {player_path(), "--headless", "--add-on",
                                     addon_path(),  "--script",   script};
    argv.insert(argv.end(), files.begin(), files.end());
    return argv;
}

SpawnOptions player_options(const TempDir &dir, uid_t user) {
    SpawnOptions options;
    options.directory = dir.Path();
    std::string runtime = runtime_dir(dir);
    if (user != 0 && chown(runtime.c_str(), user, user) != 0)
        fail("chown " + runtime);
    options.env["XDG_RUNTIME_DIR"] = runtime;
    options.dropToUser = user;
    return options;
}

}  // namespace

RunResult run_player(const TempDir &dir, const std::string &script,
                     const std::vector<std::string> &files) {
    std::string scriptPath = dir / "script.txt";
    write_file(scriptPath, script);
    Process process(player_argv(scriptPath, files), player_options(dir, 0));
    return process.Finish();
}

PlayerSession::PlayerSession(const TempDir &dir, const std::vector<std::string> &files, uid_t user)
    : fProcess(player_argv("-", files), [&] {
          SpawnOptions options = player_options(dir, user);
          options.pipeInput = true;
          return options;
      }()) {}

bool PlayerSession::Sync() {
    return Send("add-ons") && !fProcess.WaitForLineStarting("= add-on ").empty();
}

void write_file(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), bytes.size());
    if (!out)
        fail("write " + path);
}

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

off_t file_size(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

std::string make_wav_bytes(double seconds, int frequency) {
    const int rate = 8000;
    const int samples = static_cast<int>(seconds * rate);
    std::string data;
    for (int i = 0; i < samples; i++) {
        double value = 8000 * std::sin(2 * M_PI * frequency * i / rate);
        put16(&data, static_cast<uint16_t>(static_cast<int16_t>(value)));
    }
    std::string wav = "RIFF";
    put32(&wav, 36 + data.size());
    wav += "WAVEfmt ";
    put32(&wav, 16);
    put16(&wav, 1);  // PCM
    put16(&wav, 1);  // mono
    put32(&wav, rate);
    put32(&wav, rate * 2);  // bytes per second
    put16(&wav, 2);         // block align
    put16(&wav, 16);        // bits per sample
    wav += "data";
    put32(&wav, data.size());
    return wav + data;
}

void make_mp3(const std::string &path) {
    // lame runs once per test process; every file after that is a copy of its output.
    static std::string encoded;
    if (encoded.empty()) {
        TempDir scratch;
        write_file(scratch / "tone.wav", make_wav_bytes(0.3, 440));
        Process lame({"/usr/bin/lame", "--quiet", scratch / "tone.wav", scratch / "tone.mp3"},
                     SpawnOptions());
        RunResult result = lame.Finish();
        if (result.exitStatus != 0)
            throw std::runtime_error("lame failed: " + result.err);
        encoded = read_file(scratch / "tone.mp3");
        if (encoded.size() <= 128)
            throw std::runtime_error("lame wrote too little");
    }
    write_file(path, encoded);
}

std::string bytes_at_tag_position(const std::string &path) {
    std::string bytes = read_file(path);
    std::string three = bytes.substr(bytes.size() - 128, 3);
    return three.substr(0, three.find('\0'));
}

std::string id3v1_tag(const std::string &title, const std::string &artist, const std::string &album,
                      unsigned char genre) {
    std::string tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, std::min<size_t>(title.size(), 30), title.substr(0, 30));
    tag.replace(33, std::min<size_t>(artist.size(), 30), artist.substr(0, 30));
    tag.replace(63, std::min<size_t>(album.size(), 30), album.substr(0, 30));
    tag[127] = static_cast<char>(genre);
    return tag;
}

std::string stored_string(const std::string &text) {
    return std::string("RTSC") + text + std::string(1, '\0');
}

std::string stored_int32(int value) {
    std::string bytes = "GNOL";
    put32(&bytes, static_cast<uint32_t>(value));
    return bytes;
}

void set_string_attr(const std::string &path, const std::string &name, const std::string &text) {
    std::string value = stored_string(text);
    if (setxattr(path.c_str(), ("user.haiku." + name).c_str(), value.data(), value.size(), 0) != 0)
        fail("setxattr " + path);
}

void set_int32_attr(const std::string &path, const std::string &name, int value) {
    std::string bytes = stored_int32(value);
    if (setxattr(path.c_str(), ("user.haiku." + name).c_str(), bytes.data(), bytes.size(), 0) != 0)
        fail("setxattr " + path);
}

std::map<std::string, std::string> getfattr(const std::string &path) {
    Process tool({"/usr/bin/getfattr", "--absolute-names", "-d", "-e", "hex", "-m", "-", path},
                 SpawnOptions());
    RunResult result = tool.Finish();
    std::map<std::string, std::string> attributes;
    for (const std::string &line : result.Lines()) {
        if (line.empty() || line[0] == '#')
            continue;
        std::string::size_type equals = line.find('=');
        if (equals == std::string::npos) {
            attributes[line] = "";
            continue;
        }
        std::string value = line.substr(equals + 1);
        if (value.compare(0, 2, "0x") == 0)
            value = hex_to_bytes(value.substr(2));
        attributes[line.substr(0, equals)] = value;
    }
    return attributes;
}

TagLibTag taglib_id3v1(const std::string &path) {
    TagLibTag result;
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::ID3v1::Tag *tag = file.ID3v1Tag(false);
    if (!file.isValid() || tag == nullptr || !file.hasID3v1Tag())
        return result;
    result.present = true;
    result.title = tag->title().to8Bit(true);
    result.artist = tag->artist().to8Bit(true);
    result.album = tag->album().to8Bit(true);
    result.genre = tag->genreNumber();
    return result;
}

std::map<std::string, std::string> form_answers(const std::vector<std::string> &lines, int which) {
    static const char *const kFields[] = {"title", "album", "artist", "genre", "rating", "volume"};
    std::map<std::string, std::string> answers;
    int seen = -1;
    for (size_t i = 0; i < lines.size(); i++) {
        if (lines[i].compare(0, 8, "= title ") != 0 && lines[i] != "= title")
            continue;
        if (++seen != which)
            continue;
        for (size_t field = 0; field < 6 && i + field < lines.size(); field++) {
            std::string prefix = std::string("= ") + kFields[field];
            const std::string &line = lines[i + field];
            if (line.compare(0, prefix.size(), prefix) != 0)
                break;
            answers[kFields[field]] =
                line.size() > prefix.size() ? line.substr(prefix.size() + 1) : "";
        }
        break;
    }
    return answers;
}

std::vector<std::string> lines_starting(const std::vector<std::string> &lines,
                                        const std::string &prefix) {
    std::vector<std::string> found;
    for (const std::string &line : lines) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            found.push_back(line);
    }
    return found;
}

int count_lines(const std::vector<std::string> &lines, const std::string &line) {
    int count = 0;
    for (const std::string &each : lines)
        count += each == line;
    return count;
}

}  // namespace addon_test
