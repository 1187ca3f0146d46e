// Files for tests: a real temporary directory, whole-file reads and writes, shell commands,
// and the attr tools (getfattr, setfattr) as independent readers and writers of extended
// attributes.
#ifndef BRINDLE_TESTS_COMMON_TEST_FILES_H
#define BRINDLE_TESTS_COMMON_TEST_FILES_H

#include <sys/types.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace test_support {

// A fresh directory `prefix`-XXXXXX under /var/tmp or /tmp on a file system that keeps user
// extended attributes (std::runtime_error when there is none); removed with everything in it
// at destruction, whatever modes the test left on it, mounts made under it unmounted first.
// Mode 0755, so a child that dropped its privileges reaches the files inside.
class TempDir {
public:
    explicit TempDir(const std::string &prefix = "brindle-test");
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &Path() const { return fPath; }
    std::string operator/(const std::string &name) const { return fPath + "/" + name; }
    // Writes `text` to the file `name` in the directory; returns its path.
    std::string Write(const std::string &name, const std::string &text) const;
    // Mounts a ramfs (no user xattrs) at `name`; false when mounting is not allowed.
    bool MountRamfs(const std::string &name);

private:
    std::string fPath;
    std::vector<std::string> fMounts;
};

// Throws std::runtime_error saying `what` failed, with errno's text: for setup a test
// cannot go on without.
[[noreturn]] void fail_with_errno(const std::string &what);

// Writes `bytes` to `path`, replacing it; throws std::runtime_error when it cannot.
void write_file(const std::string &path, const std::string &bytes);
// The whole file; "" when it cannot be read.
std::string read_file(const std::string &path);
// The file's size, or -1 when it has none.
off_t file_size(const std::string &path);
// The names in a directory, "." and ".." left out (hidden ones included).
std::set<std::string> directory_entries(const std::string &directory);

// Runs a shell command; returns its exit status (or -1), standard output in `output`.
int run_command(const std::string &command, std::string *output = nullptr);
// `text` as one shell word.
std::string shell_quote(const std::string &text);

// Every extended attribute of `path` as getfattr (package attr) reports it: raw name to raw
// value bytes. Throws std::runtime_error when getfattr fails.
std::map<std::string, std::string> getfattr_all(const std::string &path);
// The bytes of one extended attribute as getfattr reports them, or "" with `found` false
// when it has none.
std::string getfattr_value(const std::string &path, const std::string &xattrName,
                           bool *found = nullptr);
// Sets one extended attribute with setfattr; `value` is raw bytes.
bool setfattr(const std::string &path, const std::string &xattrName, const std::string &value);

// The bytes of a little-endian 32-bit type code followed by `value`: what the platform's
// attribute store keeps in an extended attribute.
std::string typed_value(unsigned typeCode, const std::string &value);

}  // namespace test_support

#endif  // BRINDLE_TESTS_COMMON_TEST_FILES_H
