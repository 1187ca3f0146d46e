#include "TestFiles.h"

#include <dirent.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace test_support {

namespace {

bool supports_user_xattrs(const std::string &directory) {
    std::string probe = directory + "/.xattr-probe";
    write_file(probe, "");
    bool supported = setxattr(probe.c_str(), "user.probe", "1", 1, 0) == 0;
    unlink(probe.c_str());
    return supported;
}

// Gives the owner every permission on each directory below `path`, so a test that took
// some away (to provoke a permission error) cannot keep its files from being removed.
void make_removable(const std::string &path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return;
    chmod(path.c_str(), (st.st_mode & 07777) | S_IRWXU);
    DIR *dir = opendir(path.c_str());
    if (dir == nullptr)
        return;
    while (dirent *entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            make_removable(path + "/" + entry->d_name);
    }
    closedir(dir);
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    return std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
}

std::string from_hex(const std::string &hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(hex_digit(hex[i]) * 16 + hex_digit(hex[i + 1]));
    return bytes;
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

// setfattr reads \ooo in names, as getfattr writes them.
std::string escape_name(const std::string &name) {
    std::string escaped;
    for (char c : name) {
        if (c == '\\')
            escaped += "\\134";
        else
            escaped += c;
    }
    return escaped;
}

}  // namespace

TempDir::TempDir(const std::string &prefix) {
    for (const char *base : {"/var/tmp", "/tmp"}) {
        std::string pattern = std::string(base) + "/" + prefix + "-XXXXXX";
        if (mkdtemp(&pattern[0]) == nullptr)
            continue;
        if (supports_user_xattrs(pattern)) {
            fPath = pattern;
            break;
        }
        rmdir(pattern.c_str());
    }
    if (fPath.empty())
        throw std::runtime_error("no temporary directory with user extended attributes");
    chmod(fPath.c_str(), 0755);
}

TempDir::~TempDir() {
    for (auto it = fMounts.rbegin(); it != fMounts.rend(); ++it)
        umount2(it->c_str(), MNT_DETACH);
    make_removable(fPath);
    std::error_code ignored;
    std::filesystem::remove_all(fPath, ignored);
}

std::string TempDir::Write(const std::string &name, const std::string &text) const {
    const std::string path = *this / name;
    write_file(path, text);
    return path;
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

void fail_with_errno(const std::string &what) {
    throw std::runtime_error(what + ": " + strerror(errno));
}

void write_file(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        fail_with_errno("cannot write " + path);
}

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

off_t file_size(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

std::set<std::string> directory_entries(const std::string &directory) {
    std::set<std::string> names;
    DIR *dir = opendir(directory.c_str());
    while (dirent *entry = dir != nullptr ? readdir(dir) : nullptr) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.insert(name);
    }
    if (dir != nullptr)
        closedir(dir);
    return names;
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
    // What the test printed so far goes before anything the command prints.
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
        if (equals != std::string::npos)
            value = from_hex(line.substr(equals + 3));
        else
            equals = line.find('=');  // an empty value is printed as name=""
        attributes[unescape_name(line.substr(0, equals))] = value;
    }
    return attributes;
}

std::string getfattr_value(const std::string &path, const std::string &xattrName, bool *found) {
    std::map<std::string, std::string> attributes;
    try {
        attributes = getfattr_all(path);
    } catch (const std::runtime_error &) {
        // No file, no attribute: the caller asks whether it has one.
    }
    auto value = attributes.find(xattrName);
    if (found != nullptr)
        *found = value != attributes.end();
    return value == attributes.end() ? std::string() : value->second;
}

bool setfattr(const std::string &path, const std::string &xattrName, const std::string &value) {
    return run_command("setfattr -n " + shell_quote(escape_name(xattrName)) + " -v " +
                       to_hex(value) + " " + shell_quote(path)) == 0;
}

std::string typed_value(unsigned typeCode, const std::string &value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((typeCode >> (8 * i)) & 0xff);
    return bytes + value;
}

}  // namespace test_support
