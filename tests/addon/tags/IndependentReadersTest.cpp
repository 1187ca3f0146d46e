// Tags on real MP3 files from lame, checked against TagLib, a reader and writer we did not
// write.
#include <gtest/gtest.h>

#include <string>

#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>

#include <File.h>

#include "TagsTestSupport.h"
#include "tags/attributes.h"
#include "tags/genres.h"
#include "tags/id3v1/id3v1.h"

using namespace tags_test;

namespace {

class RealMp3 : public testing::Test {
protected:
    void SetUp() override {
        fPath = fDir / "sine.mp3";
        make_mp3(fPath);
        fAudio = read_file(fPath);
        ASSERT_GT(fAudio.size(), 1000u);
    }

    // Opens the file, appends a tag and fills it as the add-on's save does.
    void WriteTagOurselves(const char *title, const char *artist, const char *album,
                           const char *genre) {
        BFile file(fPath.c_str(), B_READ_WRITE);
        ASSERT_EQ(B_OK, file.InitCheck());
        CapturedStdout out;
        ASSERT_FALSE(has_id3_info(file));
        ASSERT_TRUE(add_id3_info(file));
        write_id3_string(file, ID3_TITLE_OFFSET, title, ID3_TEXT_LENGTH);
        write_id3_string(file, ID3_ARTIST_OFFSET, artist, ID3_TEXT_LENGTH);
        write_id3_string(file, ID3_ALBUM_OFFSET, album, ID3_TEXT_LENGTH);
        write_id3_byte(file, ID3_GENRE_OFFSET, get_genre_id(genre));
    }

    TempDir fDir;
    std::string fPath;
    std::string fAudio;
};

TEST_F(RealMp3, EncodedFileIsRecognisedAsMpegAudioWithoutTag) {
    BFile file(fPath.c_str(), B_READ_ONLY);
    CapturedStdout out;
    EXPECT_TRUE(is_mp3_file(file));
    EXPECT_FALSE(has_id3_info(file));
    EXPECT_EQ(0u, out.Text().find("Checking for id3 info\nTag not found, found: "));
}

TEST_F(RealMp3, TagLibReadsTheTagWeWrote) {
    WriteTagOurselves("Here Comes the Sun", "The Beatles", "Abbey Road", "Pop");
    TagLib::MPEG::File file(fPath.c_str());
    ASSERT_TRUE(file.isValid());
    ASSERT_TRUE(file.hasID3v1Tag());
    TagLib::ID3v1::Tag *tag = file.ID3v1Tag();
    EXPECT_EQ("Here Comes the Sun", tag->title().to8Bit());
    EXPECT_EQ("The Beatles", tag->artist().to8Bit());
    EXPECT_EQ("Abbey Road", tag->album().to8Bit());
    EXPECT_EQ(13u, tag->genreNumber());
    EXPECT_EQ("Pop", tag->genre().to8Bit());
    ASSERT_NE(nullptr, file.audioProperties());
    EXPECT_GT(file.audioProperties()->sampleRate(), 0);
    EXPECT_EQ(fAudio, read_file(fPath).substr(0, fAudio.size()));
}

TEST_F(RealMp3, WeReadTheTagTagLibWrote) {
    {
        TagLib::MPEG::File file(fPath.c_str());
        ASSERT_TRUE(file.isValid());
        TagLib::ID3v1::Tag *tag = file.ID3v1Tag(true);
        tag->setTitle("Blue in Green");
        tag->setArtist("Miles Davis");
        tag->setAlbum("Kind of Blue");
        tag->setGenreNumber(8);  // Jazz
        ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v1));
    }
    BFile file(fPath.c_str(), B_READ_ONLY);
    CapturedStdout out;
    ASSERT_TRUE(has_id3_info(file));
    EXPECT_STREQ("Blue in Green", get_id3_string(file, ID3_TITLE_OFFSET, ID3_TEXT_LENGTH).c_str());
    EXPECT_STREQ("Miles Davis", get_id3_string(file, ID3_ARTIST_OFFSET, ID3_TEXT_LENGTH).c_str());
    EXPECT_STREQ("Kind of Blue", get_id3_string(file, ID3_ALBUM_OFFSET, ID3_TEXT_LENGTH).c_str());
    uint8 genre = get_id3_byte(file, ID3_GENRE_OFFSET);
    ASSERT_LT(genre, NUM_GENRES);
    EXPECT_STREQ("Jazz", genres[genre]);
}

TEST_F(RealMp3, TagLibAndWeAgreeOnLatin1Text) {
    WriteTagOurselves("Caf\u00e9 \u00fcber", "Fran\u00e7oise", "", "Jazz");
    {
        TagLib::MPEG::File file(fPath.c_str());
        ASSERT_TRUE(file.hasID3v1Tag());
        EXPECT_EQ("Caf\u00e9 \u00fcber", file.ID3v1Tag()->title().to8Bit(true));
        EXPECT_EQ("Fran\u00e7oise", file.ID3v1Tag()->artist().to8Bit(true));
        file.ID3v1Tag()->setAlbum(TagLib::String("\u00c9t\u00e9", TagLib::String::UTF8));
        ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v1));
    }
    BFile file(fPath.c_str(), B_READ_ONLY);
    EXPECT_STREQ("\u00c9t\u00e9", get_id3_string(file, ID3_ALBUM_OFFSET, ID3_TEXT_LENGTH).c_str());
    EXPECT_STREQ("Caf\u00e9 \u00fcber",
                 get_id3_string(file, ID3_TITLE_OFFSET, ID3_TEXT_LENGTH).c_str());
}

}  // namespace
