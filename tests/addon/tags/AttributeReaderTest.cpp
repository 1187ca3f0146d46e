// Reading the audio text attributes of real files, and the bytes the convention keeps in
// the host's extended attributes, as the attr tools see them.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "XattrFaults.h"
#include <Node.h>

#include "TagsTestSupport.h"
#include "tags/attributes.h"

using namespace tags_test;

namespace {

class AttributeReader : public testing::Test {
protected:
    void SetUp() override {
        fPath = fDir / "song.mp3";
        write_file(fPath, std::string(1000, '\x55'));
    }
    void TearDown() override { attribute_faults().Reset(); }

    // The attribute as another program would store it: setfattr, in the convention's layout
    // ('CSTR' little-endian, then the bytes).
    void StoreWithSetfattr(const std::string &name, const std::string &bytes) {
        ASSERT_TRUE(setfattr(fPath, "user.haiku." + name, std::string("RTSC") + bytes));
    }

    TempDir fDir;
    std::string fPath;
};

TEST_F(AttributeReader, MissingAttributeGivesEmptyTextSilently) {
    BNode node(fPath.c_str());
    ASSERT_EQ(B_OK, node.InitCheck());
    CapturedStdout out;
    vesk::str_t genre = get_string_attr(node, AUDIO_GENRE_ATTR);
    EXPECT_STREQ("", genre.c_str());
    EXPECT_EQ("", out.Text());
}

TEST_F(AttributeReader, FoundAttributeIsPrintedAndReturned) {
    StoreWithSetfattr("Audio:Genre", std::string("Rock\0", 5));
    BNode node(fPath.c_str());
    CapturedStdout out;
    vesk::str_t genre = get_string_attr(node, AUDIO_GENRE_ATTR);
    EXPECT_STREQ("Rock", genre.c_str());
    EXPECT_EQ("Setting Audio:Genre: Rock\n", out.Text());
}

TEST_F(AttributeReader, EmptyValueIsFoundAndEmpty) {
    StoreWithSetfattr("Audio:Title", std::string(1, '\0'));
    StoreWithSetfattr("Audio:Album", "");
    BNode node(fPath.c_str());
    CapturedStdout out;
    EXPECT_STREQ("", get_string_attr(node, AUDIO_TITLE_ATTR).c_str());
    EXPECT_STREQ("", get_string_attr(node, AUDIO_ALBUM_ATTR).c_str());
    EXPECT_EQ("Setting Audio:Title: \nSetting Audio:Album: \n", out.Text());
}

TEST_F(AttributeReader, LongValueWithoutNulIsCutAt256Bytes) {
    std::string value;
    for (int i = 0; i < 300; i++)
        value += static_cast<char>('a' + i % 26);
    StoreWithSetfattr("Audio:Title", value);
    BNode node(fPath.c_str());
    CapturedStdout out;
    vesk::str_t title = get_string_attr(node, AUDIO_TITLE_ATTR);
    EXPECT_EQ(256, title.length());
    EXPECT_EQ(value.substr(0, 256), title.c_str());
    EXPECT_EQ("Setting Audio:Title: " + value.substr(0, 256) + "\n", out.Text());
}

TEST_F(AttributeReader, TextEndsAtFirstNul) {
    StoreWithSetfattr("Audio:Artist", std::string("The Beatles\0Wings\0", 18));
    BNode node(fPath.c_str());
    CapturedStdout out;
    EXPECT_STREQ("The Beatles", get_string_attr(node, AUDIO_ARTIST_ATTR).c_str());
    EXPECT_EQ("Setting Audio:Artist: The Beatles\n", out.Text());
}

TEST_F(AttributeReader, HostWithoutAttributesGivesEmptyText) {
    StoreWithSetfattr("Audio:Title", std::string("Hidden\0", 7));
    BNode node(fPath.c_str());
    attribute_faults().fail_all_with.store(ENOTSUP);
    CapturedStdout out;
    EXPECT_STREQ("", get_string_attr(node, AUDIO_TITLE_ATTR).c_str());
    EXPECT_EQ("", out.Text());
}

TEST_F(AttributeReader, UnopenedNodeGivesEmptyText) {
    BNode node((fDir / "missing").c_str());
    ASSERT_LT(node.InitCheck(), 0);
    CapturedStdout out;
    EXPECT_STREQ("", get_string_attr(node, AUDIO_TITLE_ATTR).c_str());
    EXPECT_EQ("", out.Text());
}

TEST_F(AttributeReader, AttributesWrittenThroughNodeShowConventionBytesToGetfattr) {
    {
        BNode node(fPath.c_str());
        ASSERT_EQ(4, node.WriteAttr(AUDIO_TITLE_ATTR, AUDIO_TEXT_TYPE, 0, "Abc", 4));
        int32 rating = 7;
        ASSERT_EQ(4, node.WriteAttr(AUDIO_RATING_ATTR, AUDIO_NUMBER_TYPE, 0, &rating, 4));
    }
    EXPECT_EQ(std::string("RTSCAbc\0", 8), getfattr_value(fPath, "user.haiku.Audio:Title"));
    EXPECT_EQ(std::string("GNOL\x07\0\0\0", 8), getfattr_value(fPath, "user.haiku.Audio:Rating"));
    BNode node(fPath.c_str());
    CapturedStdout out;
    EXPECT_STREQ("Abc", get_string_attr(node, AUDIO_TITLE_ATTR).c_str());
}

}  // namespace
