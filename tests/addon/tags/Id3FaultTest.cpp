// Real faults around the tag: a write cut short by the file size limit, files the process may
// not read or write, and nodes that are not regular files.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <File.h>

#include "TagsTestSupport.h"
#include "tags/attributes.h"
#include "tags/genres.h"
#include "tags/id3v1/id3v1.h"

using namespace tags_test;

namespace {

std::string audio_bytes(size_t size) {
    std::string bytes;
    for (size_t i = 0; i < size; i++)
        bytes += static_cast<char>(i * 7 + 1);
    return bytes;
}

// Child exit codes: each names the check that failed, so the parent can tell them apart.
enum ChildResult {
    kChildPassed = 0,
    kNoPrivilegeDrop = 10,
    kUnexpectedOpen,
    kUnexpectedTag,
    kUnexpectedText,
    kUnexpectedAppend,
    kLimitNotSet,
};

class Id3Faults : public testing::Test {
protected:
    std::string MakeMpegFile(const std::string &name, const std::string &bytes) {
        std::string path = fDir / name;
        write_file(path, bytes);
        set_file_type(path, "audio/x-mpeg");
        return path;
    }

    // Runs add_id3_info in a child that may grow files to `limit` bytes at most; returns the
    // child's exit code (0: it reported failure as it should) and its output in `output`.
    int AppendUnderSizeLimit(const std::string &path, rlim_t limit, std::string *output) {
        std::string outputPath = fDir / "child-output";
        int status = run_in_child([&]() {
            signal(SIGXFSZ, SIG_IGN);
            struct rlimit rl = {limit, limit};
            if (setrlimit(RLIMIT_FSIZE, &rl) != 0)
                return static_cast<int>(kLimitNotSet);
            if (freopen(outputPath.c_str(), "w", stdout) == nullptr)
                return static_cast<int>(kLimitNotSet);
            BFile file(path.c_str(), B_READ_WRITE);
            if (file.InitCheck() != B_OK)
                return static_cast<int>(kUnexpectedOpen);
            return static_cast<int>(add_id3_info(file) ? kUnexpectedAppend : kChildPassed);
        });
        *output = read_file(outputPath);
        return status;
    }

    TempDir fDir;
};

TEST_F(Id3Faults, ShortWriteOfTagIsFailureAndLeavesNoPartOfIt) {
    std::string audio = audio_bytes(1000);
    std::string path = MakeMpegFile("short.mp3", audio);
    std::string output;
    // Room for 50 of the 128 bytes: the host stores them and reports the short count.
    EXPECT_EQ(kChildPassed, AppendUnderSizeLimit(path, 1050, &output));
    EXPECT_EQ("Failed to add id3 info\n", output);
    EXPECT_EQ(audio, read_file(path));
}

TEST_F(Id3Faults, UnreadableFileIsLeftAloneWithoutCrash) {
    std::string bytes = audio_bytes(500) + id3v1_tag("Secret", "Artist", "Album", 4);
    std::string path = MakeMpegFile("unreadable.mp3", bytes);
    ASSERT_TRUE(setfattr(path, "user.haiku.Audio:Title", std::string("RTSCSecret\0", 11)));
    chmod(path.c_str(), 0);
    int status = run_in_child([&]() {
        if (!drop_privileges())
            return static_cast<int>(kNoPrivilegeDrop);
        BFile reader(path.c_str(), B_READ_ONLY);
        BFile writer(path.c_str(), B_READ_WRITE);
        if (reader.InitCheck() == B_OK || writer.InitCheck() == B_OK)
            return static_cast<int>(kUnexpectedOpen);
        if (has_id3_info(reader))
            return static_cast<int>(kUnexpectedTag);
        if (get_string_attr(reader, AUDIO_TITLE_ATTR) != "" ||
            get_id3_string(reader, ID3_TITLE_OFFSET, ID3_TEXT_LENGTH) != "" ||
            get_id3_byte(reader, ID3_GENRE_OFFSET) != UNKNOWN_GENRE_VALUE)
            return static_cast<int>(kUnexpectedText);
        if (add_id3_info(writer))
            return static_cast<int>(kUnexpectedAppend);
        write_id3_string(writer, ID3_TITLE_OFFSET, "Changed", ID3_TEXT_LENGTH);
        write_id3_byte(writer, ID3_GENRE_OFFSET, 1);
        return static_cast<int>(kChildPassed);
    });
    EXPECT_EQ(kChildPassed, status);
    EXPECT_EQ(bytes, read_file(path));
}

TEST_F(Id3Faults, ReadOnlyFileIsReadButNeverChanged) {
    std::string bytes = audio_bytes(500) + id3v1_tag("Mine", "Artist", "Album", 4);
    std::string path = MakeMpegFile("readonly.mp3", bytes);
    chmod(path.c_str(), 0444);
    int status = run_in_child([&]() {
        if (!drop_privileges())
            return static_cast<int>(kNoPrivilegeDrop);
        BFile writer(path.c_str(), B_READ_WRITE);
        if (writer.InitCheck() == B_OK)
            return static_cast<int>(kUnexpectedOpen);
        if (add_id3_info(writer))
            return static_cast<int>(kUnexpectedAppend);
        write_id3_string(writer, ID3_TITLE_OFFSET, "Theirs", ID3_TEXT_LENGTH);
        BFile reader(path.c_str(), B_READ_ONLY);
        if (!has_id3_info(reader))
            return static_cast<int>(kUnexpectedTag);
        if (get_id3_string(reader, ID3_TITLE_OFFSET, ID3_TEXT_LENGTH) != "Mine")
            return static_cast<int>(kUnexpectedText);
        if (add_id3_info(reader))
            return static_cast<int>(kUnexpectedAppend);
        write_id3_string(reader, ID3_TITLE_OFFSET, "Theirs", ID3_TEXT_LENGTH);
        return static_cast<int>(kChildPassed);
    });
    EXPECT_EQ(kChildPassed, status);
    EXPECT_EQ(bytes, read_file(path));
}

TEST_F(Id3Faults, FifoAndDirectoryCannotBeOpenedNorHang) {
    std::string fifo = fDir / "pipe.mp3";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0644));
    std::string directory = fDir / "folder.mp3";
    ASSERT_EQ(0, mkdir(directory.c_str(), 0755));
    int status = run_in_child([&]() {
        for (const std::string &path : {fifo, directory}) {
            for (uint32 mode : {uint32(B_READ_ONLY), uint32(B_READ_WRITE)}) {
                BFile file(path.c_str(), mode);
                if (file.InitCheck() == B_OK)
                    return static_cast<int>(kUnexpectedOpen);
                if (has_id3_info(file) || add_id3_info(file))
                    return static_cast<int>(kUnexpectedTag);
                if (get_id3_string(file, ID3_TITLE_OFFSET, ID3_TEXT_LENGTH) != "")
                    return static_cast<int>(kUnexpectedText);
            }
        }
        return static_cast<int>(kChildPassed);
    });
    EXPECT_EQ(kChildPassed, status);  // 128 + SIGALRM would mean a hang
    struct stat st;
    ASSERT_EQ(0, stat(fifo.c_str(), &st));
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(0, stat(directory.c_str(), &st));
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

}  // namespace
