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
using test_support::setfattr;
using test_support::shell_quote;
using test_support::write_file;

using test_support::make_audio;
using test_support::make_mp3;
using test_support::TempDir;

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

}  // namespace tags_test

#endif  // BRINDLE_TESTS_ADDON_TAGS_TAGS_TEST_SUPPORT_H
