// Helpers for the tag storage tests: a real temporary directory with user extended
// attributes, captured standard output, child processes for real faults (file size limits,
// dropped privileges), real MP3 data from lame, and the attr tools as independent readers.
#ifndef BRINDLE_TESTS_ADDON_TAGS_TAGS_TEST_SUPPORT_H
#define BRINDLE_TESTS_ADDON_TAGS_TAGS_TEST_SUPPORT_H

#include <string>

#include "AudioFiles.h"
#include "ChildProcess.h"
#include "TestFiles.h"

namespace tags_test {

using test_support::drop_privileges;
using test_support::getfattr_value;
using test_support::id3v1_tag;
using test_support::read_file;
using test_support::run_command;
using test_support::run_in_child;
using test_support::shell_quote;
using test_support::write_file;

// A fresh directory under /var/tmp with user extended attributes, removed with its contents
// at destruction. Children that drop privileges reach the files inside.
class TempDir : public test_support::TempDir {
public:
    TempDir() : test_support::TempDir("brindle-tags", true, 0755) {}
};

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

// Sets an extended attribute with setfattr; `value` is raw bytes.
inline bool setfattr_value(const std::string &path, const std::string &xattrName,
                           const std::string &value) {
    return test_support::setfattr(path, xattrName, value);
}

// A 16-bit mono WAV of a 440 Hz sine, as a recording would be.
std::string sine_wav(double seconds);
// Encodes `seconds` of sine with lame into `path` (no tags). False when lame failed.
bool make_mp3(const std::string &path, double seconds = 0.3);

}  // namespace tags_test

#endif  // BRINDLE_TESTS_ADDON_TAGS_TAGS_TEST_SUPPORT_H
