// Shared helpers for the storage kit's tests: a real temporary directory on a file system
// with user extended attributes, the attr tools as independent readers and writers, child
// processes for faults (privileges, file size limits) and hangs, and real MP3 files.
#ifndef STORAGE_TEST_SUPPORT_H
#define STORAGE_TEST_SUPPORT_H

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace storage_test {

// A fresh directory under /var/tmp (or /tmp), removed with its contents at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &Path() const { return fPath; }
    std::string operator/(const std::string &name) const { return fPath + "/" + name; }

private:
    std::string fPath;
};

// Writes `bytes` to `path`, replacing it.
void write_file(const std::string &path, const std::string &bytes);
std::string read_file(const std::string &path);

// Runs a shell command; returns its exit status (or -1), standard output in `output`.
int run_command(const std::string &command, std::string *output = nullptr);
std::string shell_quote(const std::string &text);

// Every extended attribute of `path` as getfattr (package attr) reports it: raw name to
// raw value bytes.
std::map<std::string, std::string> getfattr_all(const std::string &path);
// Sets one extended attribute with setfattr; `value` is raw bytes.
bool setfattr(const std::string &path, const std::string &name, const std::string &value);

// Runs `body` in a forked child that is killed if it has not finished within
// `guardSeconds` (a guard against hangs, never a timing check). Returns the child's exit
// status, or 128 + signal when it was killed (e.g. 128 + SIGALRM when it hung).
int run_in_child(const std::function<int()> &body, unsigned guardSeconds = 20);

// Runs `body` as run_in_child() does and returns the status it returned, or kChildHung when
// the guard had to kill it, kChildFailed when it died otherwise.
const int64_t kChildHung = INT64_C(1) << 40;
const int64_t kChildFailed = (INT64_C(1) << 40) + 1;
int64_t status_from_child(const std::function<int32_t()> &body, unsigned guardSeconds = 20);

// Drops to the unprivileged user nobody (65534); for use inside run_in_child.
bool drop_privileges();
// What a child body returns when drop_privileges() failed (no status has this value).
const int32_t kPrivilegesNotDropped = 0x7ead;

// True when lame is installed; MP3 fixtures need it.
bool have_lame();
// Encodes a second of silence to `mp3Path` with `lame --quiet` and the given options.
bool make_mp3(const std::string &mp3Path, const std::string &lameOptions = "");

// The bytes of a little-endian 32-bit type code followed by `value`: what the attribute
// store keeps in the xattr.
std::string typed_value(unsigned typeCode, const std::string &value);

}  // namespace storage_test

#endif  // STORAGE_TEST_SUPPORT_H
