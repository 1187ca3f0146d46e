// Finding, reading, writing and appending the ID3v1 trailer, byte by byte, on real files.
#include <gtest/gtest.h>

#include <string>

#include <File.h>

#include "TagsTestSupport.h"
#include "tags/attributes.h"
#include "tags/genres.h"
#include "tags/id3v1/id3v1.h"

using namespace tags_test;

namespace {

// Audio bytes a tag must never disturb.
std::string audio_bytes(size_t size) {
    std::string bytes;
    for (size_t i = 0; i < size; i++)
        bytes += static_cast<char>(0x80 + i % 97);
    return bytes;
}

class Id3Tag : public testing::Test {
protected:
    // A file of `bytes` recorded as MPEG audio (or as `type`).
    std::string MakeFile(const std::string &bytes, const char *type = "audio/x-mpeg") {
        std::string path = fDir / ("file" + std::to_string(fCount++));
        write_file(path, bytes);
        set_file_type(path, type);
        return path;
    }

    TempDir fDir;
    int fCount = 0;
};

TEST_F(Id3Tag, OnlyFilesLongerThanTheTagCanHaveOne) {
    struct Case {
        std::string bytes;
        bool tagged;
    } cases[] = {
        {"", false},
        {std::string(127, '\0'), false},
        {id3v1_tag("Title", "Artist", "Album", 17), false},  // 128 bytes: nothing before it
        {"x" + id3v1_tag("Title", "Artist", "Album", 17), true},
        {audio_bytes(1000) + id3v1_tag("", "", "", 0), true},
    };
    for (const Case &c : cases) {
        BFile file(MakeFile(c.bytes).c_str(), B_READ_ONLY);
        ASSERT_EQ(B_OK, file.InitCheck());
        CapturedStdout out;
        EXPECT_EQ(c.tagged, has_id3_info(file)) << c.bytes.size() << " bytes";
        EXPECT_EQ("Checking for id3 info\n", out.Text()) << c.bytes.size() << " bytes";
    }
}

TEST_F(Id3Tag, MissingMarkerPrintsWhatWasFound) {
    BFile file(MakeFile(audio_bytes(100) + "TAX" + std::string(125, 'q')).c_str(), B_READ_ONLY);
    BFile zeros(MakeFile(std::string(300, '\0')).c_str(), B_READ_ONLY);
    CapturedStdout out;
    EXPECT_FALSE(has_id3_info(file));
    EXPECT_FALSE(has_id3_info(zeros));
    EXPECT_EQ(
        "Checking for id3 info\nTag not found, found: TAX\n"
        "Checking for id3 info\nTag not found, found: \n",
        out.Text());
}

TEST_F(Id3Tag, OnlyTheExactMpegTypeCounts) {
    std::string bytes = audio_bytes(500) + id3v1_tag("Title", "", "", 1);
    BFile mpeg(MakeFile(bytes, "audio/mpeg").c_str(), B_READ_ONLY);
    BFile upper(MakeFile(bytes, "audio/X-MPEG").c_str(), B_READ_ONLY);
    CapturedStdout out;
    EXPECT_FALSE(has_id3_info(mpeg));
    EXPECT_FALSE(is_mp3_file(upper));
    EXPECT_EQ(
        "Checking for id3 info\nNot an audio/x-mpeg file, is audio/mpeg\n"
        "Not an audio/x-mpeg file, is audio/X-MPEG\n",
        out.Text());
}

TEST_F(Id3Tag, FieldsAreReadUpToTheirFirstNul) {
    std::string spaced = "Padded" + std::string(24, ' ');
    std::string full = "123456789012345678901234567890";
    std::string path = MakeFile(audio_bytes(400) + id3v1_tag("Title", full, spaced, 17));
    BFile file(path.c_str(), B_READ_ONLY);
    CapturedStdout out;
    ASSERT_TRUE(has_id3_info(file));
    EXPECT_STREQ("Title", get_id3_string(file, ID3_TITLE_OFFSET, ID3_TEXT_LENGTH).c_str());
    EXPECT_EQ(full, get_id3_string(file, ID3_ARTIST_OFFSET, ID3_TEXT_LENGTH).c_str());
    EXPECT_EQ(spaced, get_id3_string(file, ID3_ALBUM_OFFSET, ID3_TEXT_LENGTH).c_str());
    EXPECT_EQ(17, get_id3_byte(file, ID3_GENRE_OFFSET));
}

TEST_F(Id3Tag, ReadsThatCannotSeekGiveStartingValues) {
    BFile small(MakeFile(audio_bytes(50)).c_str(), B_READ_ONLY);
    EXPECT_STREQ("", get_id3_string(small, ID3_TITLE_OFFSET, ID3_TEXT_LENGTH).c_str());
    BFile empty(MakeFile("").c_str(), B_READ_ONLY);
    EXPECT_EQ(UNKNOWN_GENRE_VALUE, get_id3_byte(empty, ID3_GENRE_OFFSET));
    // A seek that lands on position 0 counts as a failure too.
    BFile one(MakeFile("\x05").c_str(), B_READ_ONLY);
    EXPECT_EQ(UNKNOWN_GENRE_VALUE, get_id3_byte(one, ID3_GENRE_OFFSET));
    BFile two(MakeFile("\x05\x06").c_str(), B_READ_ONLY);
    EXPECT_EQ(6, get_id3_byte(two, ID3_GENRE_OFFSET));
    BFile unopened((fDir / "missing").c_str(), B_READ_ONLY);
    EXPECT_STREQ("", get_id3_string(unopened, ID3_TITLE_OFFSET, ID3_TEXT_LENGTH).c_str());
    EXPECT_EQ(UNKNOWN_GENRE_VALUE, get_id3_byte(unopened, ID3_GENRE_OFFSET));
}

TEST_F(Id3Tag, WrittenTextIsNulFilledOrCutToItsArea) {
    std::string audio = audio_bytes(700);
    std::string path =
        MakeFile(audio + id3v1_tag("A much longer old title", "Old artist", "Old album", 3));
    {
        BFile file(path.c_str(), B_READ_WRITE);
        ASSERT_EQ(B_OK, file.InitCheck());
        write_id3_string(file, ID3_TITLE_OFFSET, "A", ID3_TEXT_LENGTH);
        write_id3_string(file, ID3_ARTIST_OFFSET, "0123456789012345678901234567890123456789",
                         ID3_TEXT_LENGTH);
        write_id3_byte(file, ID3_GENRE_OFFSET, 147);
    }
    std::string expected =
        audio + id3v1_tag("A", "012345678901234567890123456789", "Old album", 147);
    EXPECT_EQ(expected, read_file(path));
}

TEST_F(Id3Tag, TextIsLatin1WhereItCanBeAndUtf8NeverCutInsideACharacter) {
    std::string audio = audio_bytes(300);
    // 29 ASCII bytes and a three-byte character: the character does not fit.
    const std::string cut = std::string(29, 'x') + "\u65e5";
    std::string path = MakeFile(audio + id3v1_tag("", "", "", 0));
    {
        BFile file(path.c_str(), B_READ_WRITE);
        write_id3_string(file, ID3_TITLE_OFFSET, "Caf\u00e9 \u00fcber", ID3_TEXT_LENGTH);
        write_id3_string(file, ID3_ARTIST_OFFSET, "\u65e5\u672c \u00e9", ID3_TEXT_LENGTH);
        write_id3_string(file, ID3_ALBUM_OFFSET, cut.c_str(), ID3_TEXT_LENGTH);
    }
    EXPECT_EQ(audio + id3v1_tag("Caf\xe9 \xfc"
                                "ber",
                                "\u65e5\u672c \u00e9", std::string(29, 'x'), 0),
              read_file(path));
    // Read back: the UTF-8 bytes as UTF-8, Latin-1 bytes (invalid UTF-8) as Latin-1.
    BFile file(path.c_str(), B_READ_ONLY);
    EXPECT_STREQ("Caf\u00e9 \u00fcber",
                 get_id3_string(file, ID3_TITLE_OFFSET, ID3_TEXT_LENGTH).c_str());
    EXPECT_STREQ("\u65e5\u672c \u00e9",
                 get_id3_string(file, ID3_ARTIST_OFFSET, ID3_TEXT_LENGTH).c_str());
}

TEST_F(Id3Tag, WritesThatCannotSeekChangeNothing) {
    std::string bytes = audio_bytes(100);
    std::string path = MakeFile(bytes);
    {
        BFile file(path.c_str(), B_READ_WRITE);
        write_id3_string(file, ID3_TITLE_OFFSET, "Title", ID3_TEXT_LENGTH);
        write_id3_byte(file, -101, 17);  // lands on position 0
    }
    EXPECT_EQ(bytes, read_file(path));
}

TEST_F(Id3Tag, AppendingToEmptyFileWritesNothing) {
    std::string path = MakeFile("");
    BFile file(path.c_str(), B_READ_WRITE);
    CapturedStdout out;
    EXPECT_FALSE(add_id3_info(file));
    EXPECT_EQ("", out.Text());
    EXPECT_EQ("", read_file(path));
}

TEST_F(Id3Tag, AppendedTagIsTagZerosAndNoGenreAfterTheAudio) {
    std::string audio = audio_bytes(1000);
    std::string path = MakeFile(audio);
    {
        BFile file(path.c_str(), B_READ_WRITE);
        CapturedStdout out;
        EXPECT_TRUE(add_id3_info(file));
        EXPECT_EQ("Added id3 info\n", out.Text());
    }
    std::string bytes = read_file(path);
    ASSERT_EQ(1128u, bytes.size());
    EXPECT_EQ(audio, bytes.substr(0, 1000));
    // Genre byte 255: "no genre" to every reader (0 would be Blues).
    EXPECT_EQ("TAG" + std::string(124, '\0') + "\xff", bytes.substr(1000));
}

TEST_F(Id3Tag, TagWrittenThenReopenedReadsBack) {
    std::string audio = audio_bytes(2000);
    std::string path = MakeFile(audio);
    {
        BFile file(path.c_str(), B_READ_WRITE);
        CapturedStdout out;
        ASSERT_FALSE(has_id3_info(file));
        ASSERT_TRUE(add_id3_info(file));
        write_id3_string(file, ID3_TITLE_OFFSET, "Something", ID3_TEXT_LENGTH);
        write_id3_string(file, ID3_ARTIST_OFFSET, "George Harrison", ID3_TEXT_LENGTH);
        write_id3_string(file, ID3_ALBUM_OFFSET, "Abbey Road", ID3_TEXT_LENGTH);
        write_id3_byte(file, ID3_GENRE_OFFSET, get_genre_id("Rock"));
    }
    BFile file(path.c_str(), B_READ_ONLY);
    CapturedStdout out;
    ASSERT_TRUE(has_id3_info(file));
    EXPECT_STREQ("Something", get_id3_string(file, ID3_TITLE_OFFSET, ID3_TEXT_LENGTH).c_str());
    EXPECT_STREQ("George Harrison",
                 get_id3_string(file, ID3_ARTIST_OFFSET, ID3_TEXT_LENGTH).c_str());
    EXPECT_STREQ("Abbey Road", get_id3_string(file, ID3_ALBUM_OFFSET, ID3_TEXT_LENGTH).c_str());
    EXPECT_EQ(17, get_id3_byte(file, ID3_GENRE_OFFSET));
    EXPECT_EQ(audio, read_file(path).substr(0, 2000));
}

TEST_F(Id3Tag, ReadOnlyHandleWritesNothing) {
    std::string bytes = audio_bytes(600) + id3v1_tag("Title", "Artist", "Album", 2);
    std::string path = MakeFile(bytes);
    BFile file(path.c_str(), B_READ_ONLY);
    CapturedStdout out;
    EXPECT_FALSE(add_id3_info(file));
    write_id3_string(file, ID3_TITLE_OFFSET, "Changed", ID3_TEXT_LENGTH);
    write_id3_byte(file, ID3_GENRE_OFFSET, 9);
    EXPECT_EQ("Failed to add id3 info\n", out.Text());
    EXPECT_EQ(bytes, read_file(path));
}

}  // namespace
