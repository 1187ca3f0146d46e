// File types: recorded types first ("BEOS:TYPE", then "user.mime_type"), then libmagic,
// on real MP3 files made by lame.
#include "StorageTestSupport.h"

#include "XattrFaults.h"
#include <Errors.h>
#include <File.h>
#include <NodeInfo.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>

using namespace storage_test;

namespace {

class FileTypes : public ::testing::Test {
protected:
    void TearDown() override { attribute_faults().Reset(); }

    // The type GetType reports, or "error N".
    static std::string TypeOf(const std::string &path) {
        BNode node(path.c_str());
        BNodeInfo info(&node);
        if (info.InitCheck() != B_OK)
            return "init error " + std::to_string(info.InitCheck());
        char type[B_MIME_TYPE_LENGTH];
        status_t status = info.GetType(type);
        return status == B_OK ? std::string(type) : "error " + std::to_string(status);
    }

    static std::string Error(status_t status) { return "error " + std::to_string(status); }

    std::string MakeMp3(const std::string &name, const std::string &options = "") {
        std::string path = fDir / name;
        make_mp3(path, options);
        return path;
    }

    TempDir fDir;
};

TEST_F(FileTypes, MpegAudioIsSniffedAsXMpegWhateverTagsItCarries) {
    if (!have_lame())
        GTEST_SKIP() << "lame is not installed";
    EXPECT_EQ(TypeOf(MakeMp3("plain.mp3")), "audio/x-mpeg");
    EXPECT_EQ(TypeOf(MakeMp3("id3v2.mp3", "--id3v2-only --tt Title")), "audio/x-mpeg");
    EXPECT_EQ(TypeOf(MakeMp3("id3v1.mp3", "--id3v1-only --tt Title")), "audio/x-mpeg");
    EXPECT_EQ(TypeOf(MakeMp3("no-tag.mp3", "-t")), "audio/x-mpeg");
    // An ID3v2 tag far longer than the part of the file the sniff reads.
    EXPECT_EQ(TypeOf(MakeMp3("big-id3v2.mp3", "--id3v2-only --tt Title --pad-id3v2-size 50000")),
              "audio/x-mpeg");
}

TEST_F(FileTypes, TextIsSniffedAsTextPlain) {
    write_file(fDir / "notes.mp3", "These are liner notes, not music.\n");
    EXPECT_EQ(TypeOf(fDir / "notes.mp3"), "text/plain");
}

TEST_F(FileTypes, RecordedTypeWinsOverFreedesktopTypeWhichWinsOverTheSniff) {
    if (!have_lame())
        GTEST_SKIP() << "lame is not installed";
    const std::string path = MakeMp3("song.mp3");
    ASSERT_TRUE(setfattr(path, "user.haiku.BEOS:TYPE",
                         typed_value('MIMS', std::string("audio/mpeg\0", 11))));
    ASSERT_TRUE(setfattr(path, "user.mime_type", "text/x-guess\n"));
    EXPECT_EQ(TypeOf(path), "audio/mpeg");  // exactly as recorded, not renamed

    ASSERT_EQ(run_command("setfattr -x user.haiku.BEOS:TYPE " + shell_quote(path)), 0);
    EXPECT_EQ(TypeOf(path), "text/x-guess");

    ASSERT_EQ(run_command("setfattr -x user.mime_type " + shell_quote(path)), 0);
    EXPECT_EQ(TypeOf(path), "audio/x-mpeg");
}

TEST_F(FileTypes, SetTypeRecordsMimsWithItsNul) {
    const std::string path = fDir / "notes.txt";
    write_file(path, "text");
    BNode node(path.c_str());
    BNodeInfo info(&node);
    ASSERT_EQ(info.SetType("audio/x-mpeg"), B_OK);
    EXPECT_EQ(getfattr_all(path)["user.haiku.BEOS:TYPE"],
              typed_value('MIMS', std::string("audio/x-mpeg\0", 13)));
    EXPECT_EQ(TypeOf(path), "audio/x-mpeg");

    EXPECT_EQ(info.SetType(std::string(B_MIME_TYPE_LENGTH, 'x').c_str()), B_BAD_VALUE);
    EXPECT_EQ(TypeOf(path), "audio/x-mpeg");

    ASSERT_EQ(info.SetType(nullptr), B_OK);
    EXPECT_EQ(getfattr_all(path).count("user.haiku.BEOS:TYPE"), 0u);
    EXPECT_EQ(TypeOf(path), "text/plain");
}

TEST_F(FileTypes, MalformedRecordedTypeIsAnErrorNotAGuess) {
    const std::string path = fDir / "song.mp3";
    write_file(path, "text");
    ASSERT_TRUE(setfattr(path, "user.haiku.BEOS:TYPE",
                         typed_value('CSTR', std::string("audio/x-mpeg\0", 13))));
    EXPECT_EQ(TypeOf(path), Error(B_BAD_TYPE));
    ASSERT_TRUE(setfattr(path, "user.haiku.BEOS:TYPE", typed_value('MIMS', std::string(300, 'a'))));
    EXPECT_EQ(TypeOf(path), Error(B_BAD_DATA));
    ASSERT_TRUE(setfattr(path, "user.haiku.BEOS:TYPE", "MI"));
    EXPECT_EQ(TypeOf(path), Error(B_BAD_DATA));

    // A freedesktop record too long to be a type is not trusted in part.
    ASSERT_EQ(run_command("setfattr -x user.haiku.BEOS:TYPE " + shell_quote(path)), 0);
    ASSERT_TRUE(setfattr(path, "user.mime_type", std::string(300, 'b')));
    EXPECT_EQ(TypeOf(path), "text/plain");
}

// A recorded "BEOS:TYPE" is the type exactly as stored, even on MPEG audio: no trimming, an
// empty one is the empty type (no guess). freedesktop's MPEG names are this platform's.
TEST_F(FileTypes, RecordedTypesAreTakenAsStoredAndFreedesktopMpegNamesMapped) {
    if (!have_lame())
        GTEST_SKIP() << "lame is not installed";
    const std::string path = MakeMp3("song.mp3");
    ASSERT_TRUE(setfattr(path, "user.haiku.BEOS:TYPE",
                         typed_value('MIMS', std::string("audio/x-mpeg \0", 14))));
    EXPECT_EQ(TypeOf(path), "audio/x-mpeg ");
    ASSERT_TRUE(setfattr(path, "user.haiku.BEOS:TYPE", typed_value('MIMS', std::string(1, '\0'))));
    EXPECT_EQ(TypeOf(path), "");
    ASSERT_TRUE(setfattr(path, "user.haiku.BEOS:TYPE", typed_value('MIMS', "")));
    EXPECT_EQ(TypeOf(path), "");

    ASSERT_EQ(run_command("setfattr -x user.haiku.BEOS:TYPE " + shell_quote(path)), 0);
    write_file(fDir / "notes", "plain words\n");
    for (const char *name : {"audio/mpeg", "audio/mp3\n", "audio/x-mp3", "audio/x-mpg"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(setfattr(fDir / "notes", "user.mime_type", name));
        EXPECT_EQ(TypeOf(fDir / "notes"), "audio/x-mpeg");
    }
    ASSERT_TRUE(setfattr(fDir / "notes", "user.mime_type", "audio/mpeg3"));
    EXPECT_EQ(TypeOf(fDir / "notes"), "audio/mpeg3");
}

TEST_F(FileTypes, SniffReadsThroughTheOpenFileWithoutMovingItsPosition) {
    const std::string path = fDir / "notes";
    write_file(path, "plain words\n");
    BFile file(path.c_str(), B_READ_WRITE);
    ASSERT_EQ(file.Seek(5, SEEK_SET), 5);
    ASSERT_EQ(unlink(path.c_str()), 0);  // the type comes from the open file, not the path
    BNodeInfo info(&file);
    char type[B_MIME_TYPE_LENGTH];
    ASSERT_EQ(info.GetType(type), B_OK);
    EXPECT_STREQ(type, "text/plain");
    EXPECT_EQ(file.Position(), 5);
}

TEST_F(FileTypes, ATypeSniffedFromTheBytesIsSniffedAgainAfterTheyChange) {
    if (!have_lame())
        GTEST_SKIP() << "lame is not installed";
    std::ifstream in(MakeMp3("song.mp3"), std::ios::binary);
    const std::string mp3((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string path = fDir / "notes";
    write_file(path, "plain words\n");
    BFile file(path.c_str(), B_READ_WRITE);
    BNodeInfo info(&file);
    char type[B_MIME_TYPE_LENGTH];
    ASSERT_EQ(info.GetType(type), B_OK);
    ASSERT_STREQ(type, "text/plain");
    ASSERT_EQ(file.WriteAt(0, mp3.data(), mp3.size()), static_cast<ssize_t>(mp3.size()));
    ASSERT_EQ(info.GetType(type), B_OK);
    EXPECT_STREQ(type, "audio/x-mpeg");
}

TEST_F(FileTypes, HostWithoutAttributesStillSniffsButCannotRecord) {
    const std::string path = fDir / "notes";
    write_file(path, "plain words\n");
    ASSERT_TRUE(setfattr(path, "user.haiku.BEOS:TYPE",
                         typed_value('MIMS', std::string("audio/x-mpeg\0", 13))));
    attribute_faults().fail_all_with.store(ENOTSUP);
    EXPECT_EQ(TypeOf(path), "text/plain");
    BNode node(path.c_str());
    BNodeInfo info(&node);
    EXPECT_EQ(info.SetType("audio/x-mpeg"), B_UNSUPPORTED);
    attribute_faults().Reset();
    EXPECT_EQ(TypeOf(path), "audio/x-mpeg");
}

TEST_F(FileTypes, InfoOnAnUninitializedNodeFailsCleanly) {
    BNode missing((fDir / "missing").c_str());
    BNodeInfo info(&missing);
    EXPECT_EQ(info.InitCheck(), B_BAD_VALUE);
    char type[B_MIME_TYPE_LENGTH];
    EXPECT_LT(info.GetType(type), 0);
    EXPECT_LT(info.SetType("text/plain"), 0);
    EXPECT_EQ(BNodeInfo(nullptr).InitCheck(), B_BAD_VALUE);
}

}  // namespace

// Guesses are remembered per file; rewriting the content must bring a fresh guess, whether
// the size changes or only the modification time does.
TEST_F(FileTypes, RewrittenContentIsGuessedAgain) {
    if (!have_lame())
        GTEST_SKIP() << "lame is not installed";
    const std::string path = fDir / "changing";
    const std::string mp3 = MakeMp3("source.mp3");
    write_file(path, "plain words\n");
    EXPECT_EQ(TypeOf(path), "text/plain");

    std::ifstream in(mp3, std::ios::binary);
    std::string audio((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    write_file(path, audio);
    EXPECT_EQ(TypeOf(path), "audio/x-mpeg");

    // Same size, same inode, new content: only the modification time tells.
    std::string text(audio.size(), 'x');
    text.replace(0, 12, "plain words\n");
    {
        BFile file(path.c_str(), B_READ_WRITE);
        ASSERT_EQ(file.WriteAt(0, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
    EXPECT_EQ(TypeOf(path), "text/plain");
}
