#include "StorageTestSupport.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/mman.h>
#include <signal.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace storage_test {

namespace {

bool supports_user_xattrs(const std::string &directory) {
    std::string probe = directory + "/.xattr-probe";
    write_file(probe, "");
    bool supported = setxattr(probe.c_str(), "user.probe", "1", 1, 0) == 0;
    unlink(probe.c_str());
    return supported;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    return std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
}

// getfattr writes backslashes and unprintable bytes of names as \ooo.
std::string unescape_name(const std::string &name) {
    std::string result;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && std::isdigit(name[i + 1]) &&
            std::isdigit(name[i + 2]) && std::isdigit(name[i + 3])) {
            result += static_cast<char>((name[i + 1] - '0') * 64 + (name[i + 2] - '0') * 8 +
                                        (name[i + 3] - '0'));
            i += 3;
        } else {
            result += name[i];
        }
    }
    return result;
}

std::string to_hex(const std::string &bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex = "0x";
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 0xf];
    }
    return hex;
}

}  // namespace

TempDir::TempDir() {
    for (const char *base : {"/var/tmp", "/tmp"}) {
        std::string pattern = std::string(base) + "/brindle-storage-XXXXXX";
        if (mkdtemp(&pattern[0]) == nullptr)
            continue;
        if (supports_user_xattrs(pattern)) {
            fPath = pattern;
            return;
        }
        rmdir(pattern.c_str());
    }
    throw std::runtime_error("no temporary directory with user extended attributes");
}

TempDir::~TempDir() {
    run_command("chmod -R u+rwx " + shell_quote(fPath) + " 2>/dev/null; rm -rf " +
                shell_quote(fPath));
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

int run_command(const std::string &command, std::string *output) {
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof(buffer), pipe)) > 0) {
        if (output != nullptr)
            output->append(buffer, count);
    }
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::map<std::string, std::string> getfattr_all(const std::string &path) {
    std::string output;
    if (run_command(
            "getfattr --absolute-names -d -e hex -m - " + shell_quote(path) + " 2>/dev/null",
            &output) != 0)
        throw std::runtime_error("getfattr failed on " + path);
    std::map<std::string, std::string> attributes;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        size_t equals = line.rfind("=0x");
        std::string value;
        if (equals != std::string::npos) {
            for (size_t i = equals + 3; i + 1 < line.size(); i += 2)
                value += static_cast<char>(hex_digit(line[i]) * 16 + hex_digit(line[i + 1]));
        } else {
            equals = line.find('=');  // an empty value is printed as name=""
        }
        attributes[unescape_name(line.substr(0, equals))] = value;
    }
    return attributes;
}

bool setfattr(const std::string &path, const std::string &name, const std::string &value) {
    std::string escapedName;  // setfattr reads \ooo in names, as getfattr writes them
    for (char c : name) {
        if (c == '\\')
            escapedName += "\\134";
        else
            escapedName += c;
    }
    return run_command("setfattr -n " + shell_quote(escapedName) + " -v " + to_hex(value) + " " +
                       shell_quote(path)) == 0;
}

int run_in_child(const std::function<int()> &body, unsigned guardSeconds) {
    fflush(nullptr);
    pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        alarm(guardSeconds);
        _exit(body());
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int64_t status_from_child(const std::function<int32_t()> &body, unsigned guardSeconds) {
    void *shared =
        mmap(nullptr, sizeof(int32_t), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED)
        return kChildFailed;
    auto *slot = static_cast<int32_t *>(shared);
    int exitCode = run_in_child(
        [&] {
            *slot = body();
            return 0;
        },
        guardSeconds);
    int64_t result = exitCode == 0 ? *slot : exitCode == 128 + SIGALRM ? kChildHung : kChildFailed;
    munmap(shared, sizeof(int32_t));
    return result;
}

bool drop_privileges() {
    const uid_t nobody = 65534;
    return setgroups(0, nullptr) == 0 && setresgid(nobody, nobody, nobody) == 0 &&
           setresuid(nobody, nobody, nobody) == 0;
}

bool have_lame() {
    return run_command("command -v lame >/dev/null 2>&1") == 0;
}

bool make_mp3(const std::string &mp3Path, const std::string &lameOptions) {
    // A second of 16-bit mono silence at 44.1 kHz, as a canonical 44-byte-header WAV.
    const unsigned rate = 44100;
    const unsigned dataSize = rate * 2;
    auto le32 = [](unsigned v) {
        std::string bytes;
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((v >> (8 * i)) & 0xff);
        return bytes;
    };
    auto le16 = [](unsigned v) {
        return std::string{static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff)};
    };
    std::string wav = "RIFF" + le32(36 + dataSize) + "WAVE" + "fmt " + le32(16) + le16(1) +
                      le16(1) + le32(rate) + le32(rate * 2) + le16(2) + le16(16) + "data" +
                      le32(dataSize) + std::string(dataSize, '\0');
    std::string wavPath = mp3Path + ".wav";
    write_file(wavPath, wav);
    int status = run_command("lame --quiet " + lameOptions + " " + shell_quote(wavPath) + " " +
                             shell_quote(mp3Path) + " 2>/dev/null");
    unlink(wavPath.c_str());
    return status == 0;
}

std::string typed_value(unsigned typeCode, const std::string &value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((typeCode >> (8 * i)) & 0xff);
    return bytes + value;
}

}  // namespace storage_test
