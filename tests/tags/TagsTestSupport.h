// Helpers for the tag storage tests: a real temporary directory with user extended
// attributes, captured standard output, child processes for real faults (file size limits,
// dropped privileges), real MP3 data from lame, and the attr tools as independent readers.
#ifndef TAGS_TEST_SUPPORT_H
#define TAGS_TEST_SUPPORT_H

#include <cstdint>
#include <functional>
#include <string>

namespace tags_test {

// A fresh directory under /var/tmp, removed with its contents at destruction.
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

void write_file(const std::string &path, const std::string &bytes);
std::string read_file(const std::string &path);
// Records `type` as the file's type through the storage kit (BNodeInfo::SetType).
void set_file_type(const std::string &path, const char *type);

// Everything written to standard output (fd 1, stdio included) between construction and
// Text() or destruction.
class CapturedStdout {
public:
    CapturedStdout();
    ~CapturedStdout();
    CapturedStdout(const CapturedStdout &) = delete;
    CapturedStdout &operator=(const CapturedStdout &) = delete;

    // Ends the capture (once) and returns what was written.
    std::string Text();

private:
    void _Restore();

    int fSavedFd;
    int fCaptureFd;
    std::string fText;
};

// Runs `body` in a forked child and returns its exit status, or 128 + signal when it died;
// a child still running after `guardSeconds` is killed by SIGALRM (a guard against hangs,
// never a timing check).
int run_in_child(const std::function<int()> &body, unsigned guardSeconds = 30);
// Drops to the unprivileged user nobody (65534); for use inside run_in_child.
bool drop_privileges();

// Runs a shell command; returns its exit status, standard output in `output`.
int run_command(const std::string &command, std::string *output = nullptr);
std::string shell_quote(const std::string &text);

// The bytes of one extended attribute as getfattr (package attr) reports them, or "" with
// `found` false when it has none.
std::string getfattr_value(const std::string &path, const std::string &xattrName,
                           bool *found = nullptr);
// Sets an extended attribute with setfattr; `value` is raw bytes.
bool setfattr_value(const std::string &path, const std::string &xattrName,
                    const std::string &value);

// A 16-bit mono WAV of a 440 Hz sine, as a recording would be.
std::string sine_wav(double seconds);
// Encodes `seconds` of sine with lame into `path` (no tags). False when lame failed.
bool make_mp3(const std::string &path, double seconds = 0.3);

// A 128-byte ID3v1 tag built field by field; text fields are placed as given (the caller
// pads them) and cut or NUL-filled to 30 bytes.
std::string id3v1_tag(const std::string &title, const std::string &artist, const std::string &album,
                      unsigned char genre);

}  // namespace tags_test

#endif  // TAGS_TEST_SUPPORT_H
