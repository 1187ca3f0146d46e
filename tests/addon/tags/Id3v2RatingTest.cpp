// Ratings in an MP3's ID3v2 tag (POPM and the TXXX FMPS_Rating), written by our own frame
// writer and read back by mutagen: every other frame keeps its bytes and its place.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <File.h>

#include "Id3v2Files.h"
#include "TagsTestSupport.h"
#include "tags/format_tags.h"

using namespace tags_test;
using test_support::id3v2_frame;
using test_support::id3v2_frames_of;
using test_support::id3v2_tag;
using test_support::id3v2_text_frame;
using test_support::mutagen_read;

namespace {

class Id3v2Rating : public testing::TestWithParam<int> {};

// RVAD, TSIZ and EQUA are frames TagLib drops when it renders a tag again.
TEST_P(Id3v2Rating, ARatingEditKeepsEveryOtherFrameByteForByteAndInPlace) {
    const int major = GetParam();
    TempDir dir;
    const std::string path = dir / "song.mp3";
    make_mp3(path);
    const std::string audio = read_file(path);
    const std::vector<std::string> frames = {
        id3v2_text_frame(major, "TIT2", "Title"),
        id3v2_frame(major, "RVAD", std::string("\x03\x10\x12\x34\x12\x34\x00\x00\x00\x00", 10)),
        id3v2_frame(major, "POPM",
                    std::string("Windows Media Player 9 Series\0\xc4\0\0\0\x05", 35)),
        id3v2_text_frame(major, "TSIZ", "123456"),
        id3v2_frame(major, "TXXX",
                    std::string("\0FMPS_Rating\0"
                                "0.8",
                                16)),
        id3v2_frame(major, "EQUA", std::string("\x10\x80\x40\x12\x34", 5)),
        id3v2_text_frame(major, "TPE1", "Artist")};
    std::string all;
    for (const std::string &frame : frames)
        all += frame;
    const std::string tag = id3v2_tag(major, all, 256);
    write_file(path, tag + audio);

    format_changes changes;
    changes.rating = 4;
    bool replaced = false;
    node_ref replacement;
    {
        BFile file(path.c_str(), B_READ_WRITE);
        ASSERT_EQ(write_format_fields(file, TAG_FORMAT_ID3V2, changes, &replaced, &replacement),
                  B_OK);
    }
    const std::string written = read_file(path);
    auto read = mutagen_read(path);
    EXPECT_EQ(read["POPM:Windows Media Player 9 Series"], "64 5");
    EXPECT_EQ(read["TXXX:FMPS_Rating"], "0.4");
    EXPECT_EQ(read.count("POPM:org.kde.kfilemetadata"), 0u);  // it carries one already
    // The same frames in the same order; only the two ratings' bytes differ.
    std::vector<std::string> expected = frames;
    expected[2][10 + 30] = '\x40';
    expected[4] = id3v2_frame(major, "TXXX",
                              std::string("\0FMPS_Rating\0"
                                          "0.4",
                                          16));
    EXPECT_EQ(id3v2_frames_of(written), expected);
    EXPECT_FALSE(replaced);  // the same size: written in place
    ASSERT_EQ(written.size(), tag.size() + audio.size());
    EXPECT_EQ(written.substr(tag.size()), audio);
}

INSTANTIATE_TEST_SUITE_P(Versions, Id3v2Rating, testing::Values(3, 4),
                         [](const testing::TestParamInfo<int> &info) {
                             return "V2_" + std::to_string(info.param);
                         });

}  // namespace
