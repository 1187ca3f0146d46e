#include "TagsTestSupport.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <Node.h>
#include <NodeInfo.h>

namespace tags_test {

TempDir::TempDir() {
    char pattern[] = "/var/tmp/brindle-tags-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    fPath = pattern;
    // Children that drop privileges must reach the files inside.
    chmod(fPath.c_str(), 0755);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(fPath, ignored);
}

void write_file(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void set_file_type(const std::string &path, const char *type) {
    BNode node(path.c_str());
    BNodeInfo info(&node);
    if (info.SetType(type) != B_OK)
        throw std::runtime_error("cannot set the type of " + path);
}

CapturedStdout::CapturedStdout() {
    fflush(stdout);
    char pattern[] = "/var/tmp/brindle-stdout-XXXXXX";
    fCaptureFd = mkstemp(pattern);
    if (fCaptureFd < 0)
        throw std::runtime_error("mkstemp failed");
    unlink(pattern);
    fSavedFd = dup(STDOUT_FILENO);
    dup2(fCaptureFd, STDOUT_FILENO);
}

CapturedStdout::~CapturedStdout() {
    _Restore();
}

std::string CapturedStdout::Text() {
    _Restore();
    return fText;
}

void CapturedStdout::_Restore() {
    if (fSavedFd < 0)
        return;
    fflush(stdout);
    dup2(fSavedFd, STDOUT_FILENO);
    close(fSavedFd);
    fSavedFd = -1;
    char buffer[4096];
    ssize_t count;
    off_t offset = 0;
    while ((count = pread(fCaptureFd, buffer, sizeof(buffer), offset)) > 0) {
        fText.append(buffer, static_cast<size_t>(count));
        offset += count;
    }
    close(fCaptureFd);
}

int run_in_child(const std::function<int()> &body, unsigned guardSeconds) {
    fflush(stdout);
    fflush(stderr);
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

bool drop_privileges() {
    return setgroups(0, nullptr) == 0 && setresgid(65534, 65534, 65534) == 0 &&
           setresuid(65534, 65534, 65534) == 0 && geteuid() == 65534;
}

int run_command(const std::string &command, std::string *output) {
    fflush(stdout);
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return -1;
    std::string text;
    char buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        text.append(buffer, count);
    int status = pclose(pipe);
    if (output != nullptr)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string shell_quote(const std::string &text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

namespace {

std::string from_hex(const std::string &hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::string to_hex(const std::string &bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

void put_le(std::string *bytes, uint32_t value, int size) {
    for (int i = 0; i < size; i++)
        *bytes += static_cast<char>((value >> (8 * i)) & 0xff);
}

}  // namespace

std::string getfattr_value(const std::string &path, const std::string &xattrName, bool *found) {
    // Prints "# file: PATH" and then "NAME=0x...".
    std::string output;
    int status = run_command("getfattr --absolute-names -e hex -n " + shell_quote(xattrName) + " " +
                                 shell_quote(path) + " 2>/dev/null",
                             &output);
    std::string prefix = xattrName + "=0x";
    size_t at = output.find("\n" + prefix);
    bool present = status == 0 && at != std::string::npos;
    if (found != nullptr)
        *found = present;
    if (!present)
        return std::string();
    size_t start = at + 1 + prefix.size();
    size_t end = output.find('\n', start);
    return from_hex(output.substr(start, end == std::string::npos ? end : end - start));
}

bool setfattr_value(const std::string &path, const std::string &xattrName,
                    const std::string &value) {
    return run_command("setfattr -n " + shell_quote(xattrName) + " -v 0x" + to_hex(value) + " " +
                       shell_quote(path)) == 0;
}

std::string sine_wav(double seconds) {
    const uint32_t rate = 22050;
    const uint32_t samples = static_cast<uint32_t>(seconds * rate);
    std::string wav = "RIFF";
    put_le(&wav, 36 + samples * 2, 4);
    wav += "WAVEfmt ";
    put_le(&wav, 16, 4);
    put_le(&wav, 1, 2);  // PCM
    put_le(&wav, 1, 2);  // mono
    put_le(&wav, rate, 4);
    put_le(&wav, rate * 2, 4);
    put_le(&wav, 2, 2);
    put_le(&wav, 16, 2);
    wav += "data";
    put_le(&wav, samples * 2, 4);
    for (uint32_t i = 0; i < samples; i++) {
        double value = 8000.0 * std::sin(2.0 * M_PI * 440.0 * i / rate);
        put_le(&wav, static_cast<uint32_t>(static_cast<int16_t>(value)) & 0xffff, 2);
    }
    return wav;
}

bool make_mp3(const std::string &path, double seconds) {
    std::string wavPath = path + ".wav";
    write_file(wavPath, sine_wav(seconds));
    int status =
        run_command("lame --quiet " + shell_quote(wavPath) + " " + shell_quote(path) + " 2>&1");
    unlink(wavPath.c_str());
    return status == 0;
}

std::string id3v1_tag(const std::string &title, const std::string &artist, const std::string &album,
                      unsigned char genre) {
    auto field = [](const std::string &text) {
        std::string area = text.substr(0, 30);
        area.resize(30, '\0');
        return area;
    };
    std::string tag = "TAG" + field(title) + field(artist) + field(album);
    tag += std::string(34, '\0');  // year and comment
    tag += static_cast<char>(genre);
    return tag;
}

}  // namespace tags_test
