// FLAC, Ogg Vorbis and Opus tags written by our own writers: real files from the formats'
// encoders, tags made and read back by mutagen, the streams checked by `flac -t` and `ogginfo`
// and their audio by the MD5 of what ffmpeg decodes. Layouts no tagger makes (a tag in front,
// two comment blocks, two streams at once) are built byte by byte (tests/common/XiphFiles.h).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <File.h>

#include "AddonHarness.h"
#include "Id3v2Files.h"
#include "TagsTestSupport.h"
#include "XiphFiles.h"
#include "tags/copy_writer.h"
#include "tags/flac/flac_writer.h"
#include "tags/format_tags.h"
#include "tags/ogg/ogg_writer.h"
#include "tags/save_check.h"

using namespace tags_test;
using test_support::decoded_md5;
using test_support::flac_blocks;
using test_support::mutagen_read_other;
using test_support::mutagen_tag_other;
using test_support::ogg_pages;
using test_support::stream_checks_out;

namespace {

constexpr int kComment = 4;
constexpr int kPicture = 6;

status_t save(const std::string &path, const format_changes &changes) {
    BFile file(path.c_str(), B_READ_WRITE);
    tag_format format;
    if (file.InitCheck() != B_OK || !get_tag_format(file, &format))
        return B_BAD_VALUE;
    bool replaced = false;
    node_ref replacement;
    return write_format_fields(file, format, changes, &replaced, &replacement);
}

status_t save_title(const std::string &path, const char *title) {
    format_changes changes;
    changes.title = title;
    return save(path, changes);
}

ino_t inode_of(const std::string &path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_ino;
}

std::vector<std::string> comment_bodies(const std::string &bytes) {
    std::vector<std::string> bodies;
    for (const auto &block : flac_blocks(bytes)) {
        if (block.type == kComment)
            bodies.push_back(block.body);
    }
    return bodies;
}

// A tag in front of "fLaC" is kept as it is: TagLib rendered it again as 2.4, dropping RVAD and
// TSIZ and turning TYER into TDRC.
TEST(XiphFlac, AnId3v2TagInFrontKeepsItsBytesThroughATitleSave) {
    TempDir dir;
    const std::string path = dir / "front.flac";
    make_audio(path, "flac");
    const std::string rvad("\x10\x01\x00\x02\x00\x7f\xff\x7f\xff", 9);
    const std::string tag =
        test_support::id3v2_tag(3,
                                test_support::id3v2_text_frame(3, "TYER", "1999") +
                                    test_support::id3v2_text_frame(3, "TSIZ", "123456") +
                                    test_support::id3v2_text_frame(3, "RVAD", rvad),
                                64);
    write_file(path, tag + read_file(path));
    set_file_type(path, "audio/flac");
    const std::string audio = decoded_md5(path);

    ASSERT_EQ(B_OK, save_title(path, "Behind A Tag"));
    EXPECT_EQ(tag, read_file(path).substr(0, tag.size()));
    EXPECT_EQ("Behind A Tag", mutagen_read_other(path)["title"]);
    std::string said;
    EXPECT_TRUE(stream_checks_out(path, &said)) << said;
    EXPECT_EQ(audio, decoded_md5(path));
}

// TagLib kept only the first comment block: a second one (LYRICS here) was gone after a save.
TEST(XiphFlac, ASecondCommentBlockKeepsItsBytesAndOnlyTheFirstChanges) {
    TempDir dir;
    const std::string path = dir / "two.flac";
    make_audio(path, "flac");
    mutagen_tag_other(path, {{"title", "Old"}});
    const std::string lyrics =
        test_support::vorbis_comment_bytes("second", {"LYRICS=la la la", "TITLE=Not This"});
    std::string bytes = read_file(path);
    const auto blocks = flac_blocks(bytes);
    size_t first = 0;
    while (blocks[first].type != kComment)
        first++;
    write_file(path, test_support::flac_with_block(bytes, first + 1, kComment, lyrics));

    ASSERT_EQ(B_OK, save_title(path, "Only The First"));
    const auto bodies = comment_bodies(read_file(path));
    ASSERT_EQ(2u, bodies.size());
    EXPECT_NE(std::string::npos, bodies[0].find("=Only The First"));
    EXPECT_EQ(lyrics, bodies[1]);
    EXPECT_EQ("Only The First", mutagen_read_other(path)["title"]);
    EXPECT_TRUE(stream_checks_out(path));
}

// A file of zeros after STREAMINFO (preallocated, or partly downloaded): the walk stops at the
// first zero header (a second STREAMINFO) instead of taking each 4 bytes as an empty block, the
// status line says so, and a save writes nothing to it. The old walk took minutes a gigabyte.
TEST(XiphFlac, ZerosAfterStreaminfoLoadAsDamagedAndTakeNoTag) {
    TempDir dir;
    const std::string path = dir / "zeros.flac";
    make_audio(path, "flac");
    write_file(path, read_file(path).substr(0, 4 + 4 + 34));  // "fLaC" and STREAMINFO
    ASSERT_EQ(0, truncate(path.c_str(), 1LL << 30));
    struct stat before {};
    ASSERT_EQ(0, stat(path.c_str(), &before));

    addon_test::RunResult result =
        addon_test::run_player(dir, "enable\nstatus\nset title Lost\nsave\n", {path});
    EXPECT_EQ(addon_test::status_answers(result.OutLines()).at(0),
              "zeros.flac \u2014 its FLAC metadata is damaged")
        << result.out << result.err;
    EXPECT_EQ(TAG_FLAC_DAMAGED, save_title(path, "Lost"));
    struct stat after {};
    ASSERT_EQ(0, stat(path.c_str(), &after));
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(before.st_size, after.st_size);
    EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_EQ(std::string(1 << 16, '\0'), read_file(path).substr(42, 1 << 16));
}

// A file of STREAMINFO alone gets its comment block right after it: STREAMINFO is then no
// longer the last block, and the new PADDING block is.
TEST(XiphFlac, AStreaminfoAloneGetsACommentBlockAfterIt) {
    TempDir dir;
    const std::string path = dir / "bare.flac";
    make_audio(path, "flac");
    size_t audioStart = 0;
    const std::string bytes = read_file(path);
    const auto blocks = flac_blocks(bytes, &audioStart);
    write_file(path, std::string("fLaC\x80", 5) + bytes.substr(blocks[0].offset + 1, 3) +
                         blocks[0].body + bytes.substr(audioStart));
    const std::string audio = decoded_md5(path);

    ASSERT_EQ(B_OK, save_title(path, "First Tag"));
    const auto after = flac_blocks(read_file(path));
    ASSERT_EQ(3u, after.size());
    EXPECT_EQ(kComment, after[1].type);
    EXPECT_FALSE(after[0].last || after[1].last);
    EXPECT_EQ("First Tag", mutagen_read_other(path)["title"]);
    EXPECT_TRUE(stream_checks_out(path));
    EXPECT_EQ(audio, decoded_md5(path));
}

// A change the padding after the comment block takes is written in place: the same inode,
// nothing after the padding moved. One that does not fit goes through a checked copy whose
// audio moves by whole blocks of the file system.
TEST(XiphFlac, AnEditThePaddingTakesIsWrittenInPlaceAndALargerOneGoesThroughACopy) {
    TempDir dir;
    const std::string path = dir / "padded.flac";
    make_audio(path, "flac");
    // mutagen puts its PADDING block last: right after the comment block while there is no
    // picture.
    mutagen_tag_other(path, {{"title", "Old"}});
    const std::string audio = decoded_md5(path);
    size_t start = 0, moved = 0;
    flac_blocks(read_file(path), &start);
    const ino_t inode = inode_of(path);

    ASSERT_EQ(B_OK, save_title(path, "A Longer Title In Place"));
    EXPECT_EQ(inode, inode_of(path));
    const std::string inPlace = read_file(path);
    flac_blocks(inPlace, &moved);
    EXPECT_EQ(start, moved);
    EXPECT_EQ("A Longer Title In Place", mutagen_read_other(path)["title"]);

    format_changes changes;
    const std::string artist(20000, 'a');
    changes.artist = artist.c_str();
    ASSERT_EQ(B_OK, save(path, changes));
    EXPECT_NE(inode, inode_of(path));
    flac_blocks(read_file(path), &moved);
    struct stat info {};
    ASSERT_EQ(0, stat(path.c_str(), &info));
    EXPECT_GT(moved, start);
    EXPECT_EQ(0u, (moved - start) % static_cast<size_t>(info.st_blksize));
    EXPECT_EQ(artist, mutagen_read_other(path)["artist"]);
    EXPECT_EQ("A Longer Title In Place", mutagen_read_other(path)["title"]);
    EXPECT_TRUE(stream_checks_out(path));
    EXPECT_EQ(audio, decoded_md5(path));
}

// Two logical streams at once (a Vorbis stream's pages between an Opus stream's): a writer
// that edits one stream would have to lay out the other's pages too, so nothing is written.
TEST(XiphOgg, AMultiplexedFileIsNotWritten) {
    TempDir dir;
    const std::string vorbis = dir / "a.ogg", opus = dir / "b.opus", path = dir / "muxed.ogg";
    make_audio(vorbis, "ogg");
    make_audio(opus, "opus");
    mutagen_tag_other(vorbis, {{"title", "Old"}});
    std::string muxed = test_support::ogg_multiplexed(read_file(vorbis), read_file(opus));
    write_file(path, muxed);

    EXPECT_EQ(TAG_MULTIPLEXED_OGG, save_title(path, "New"));
    EXPECT_EQ(muxed, read_file(path));

    // Another codec's stream first (FLAC in Ogg here, as Skeleton or video would be): the
    // Vorbis stream's comment is still read, and still not written.
    const std::string other = dir / "c.oga";
    make_audio(other, "ogg-flac");
    muxed = test_support::ogg_multiplexed(read_file(other), read_file(vorbis));
    write_file(path, muxed);
    BFile file(path.c_str(), B_READ_ONLY);
    tag_format format;
    format_fields fields;
    ASSERT_TRUE(get_tag_format(file, &format));
    ASSERT_TRUE(read_format_fields(file, format, &fields));
    EXPECT_STREQ("Old", fields.title.c_str());
    EXPECT_EQ(TAG_MULTIPLEXED_OGG, save_title(path, "New"));
    EXPECT_EQ(muxed, read_file(path));
}

// A chained file (one stream after another): the first link takes the edit, the rest keeps
// its bytes.
TEST(XiphOgg, InAChainedFileOnlyTheFirstLinkIsEdited) {
    TempDir dir;
    const std::string first = dir / "a.ogg", second = dir / "b.opus", path = dir / "chain.ogg";
    make_audio(first, "ogg");
    make_audio(second, "opus");
    mutagen_tag_other(second, {{"title", "Second"}});
    const std::string rest = read_file(second);
    write_file(path, read_file(first) + rest);

    ASSERT_EQ(B_OK, save_title(path, "First Edited"));
    const std::string after = read_file(path);
    EXPECT_EQ(rest, after.substr(after.size() - rest.size()));
    EXPECT_EQ("First Edited", mutagen_read_other(path)["title"]);
    std::string said;
    EXPECT_TRUE(stream_checks_out(path, &said)) << said;
}

// A comment that needs more header pages moves every page after them: their sequence numbers
// follow and their CRCs are made right, their packets and granule positions stay.
TEST(XiphOgg, AGrownCommentRenumbersThePagesAfterIt) {
    TempDir dir;
    const std::string path = dir / "grown.ogg";
    make_audio(path, "ogg");
    const auto before = ogg_pages(read_file(path));
    const std::string audio = decoded_md5(path);
    format_changes changes;
    const std::string artist(200000, 'a');
    changes.artist = artist.c_str();

    ASSERT_EQ(B_OK, save(path, changes));
    const auto after = ogg_pages(read_file(path));
    ASSERT_GT(after.size(), before.size());
    const size_t moved = after.size() - before.size();
    for (size_t i = 3; i < before.size(); i++) {
        EXPECT_EQ(before[i].substr(0, 18), after[i + moved].substr(0, 18)) << i;  // granule
        EXPECT_EQ(before[i].substr(26), after[i + moved].substr(26)) << i;  // segments, packets
    }
    std::string said;
    EXPECT_TRUE(stream_checks_out(path, &said)) << said;
    EXPECT_EQ(std::string::npos, said.find("WARNING")) << said;
    EXPECT_EQ(artist, mutagen_read_other(path)["artist"]);
    EXPECT_EQ(audio, decoded_md5(path));
}

// An edit whose header pages keep their length and count is written in place: the same
// inode, every page but the comment's keeps its bytes. One that changes their length goes
// through a checked copy.
class XiphOggInPlace : public ::testing::TestWithParam<std::string> {};

TEST_P(XiphOggInPlace, AnEditOfTheSameLengthIsWrittenInPlaceAndALongerOneGoesThroughACopy) {
    TempDir dir;
    const std::string path = dir / ("song." + GetParam());
    make_audio(path, GetParam());
    mutagen_tag_other(path, {{"title", "Old Title"}, {"artist", "Kept"}});
    const auto before = ogg_pages(read_file(path));
    const ino_t inode = inode_of(path);

    ASSERT_EQ(B_OK, save_title(path, "New Title"));
    EXPECT_EQ(inode, inode_of(path));
    const auto after = ogg_pages(read_file(path));
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); i++) {
        if (i == 1)
            continue;  // the comment's
        EXPECT_EQ(before[i], after[i]) << i;
    }
    auto read = mutagen_read_other(path);
    EXPECT_EQ("New Title", read["title"]);
    EXPECT_EQ("Kept", read["artist"]);
    std::string said;
    EXPECT_TRUE(stream_checks_out(path, &said)) << said;

    ASSERT_EQ(B_OK, save_title(path, "A Longer Title"));
    EXPECT_NE(inode, inode_of(path));
    EXPECT_EQ("A Longer Title", mutagen_read_other(path)["title"]);
    EXPECT_TRUE(stream_checks_out(path, &said)) << said;
}

INSTANTIATE_TEST_SUITE_P(Formats, XiphOggInPlace, ::testing::Values("ogg", "opus"),
                         [](const auto &info) { return info.param; });

// One save per format over a file with fields, a picture and replay gain from mutagen: mutagen
// reads what was meant, the stream checks out and its decoded audio is unchanged.
class XiphRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(XiphRoundTrip, ASaveHoldsWhatWasMeantAndKeepsEverythingElse) {
    TempDir dir;
    const std::string path = dir / ("song." + GetParam());
    make_audio(path, GetParam());
    mutagen_tag_other(path, {{"title", "Old"},
                             {"artist", "Gone"},
                             {"album", "Kept"},
                             {"genre", "rock"},
                             {"picture", "300"},
                             {"replaygain", "-3.50 dB"},
                             {"FMPS_RATING", "0.4"}});
    const auto before = mutagen_read_other(path);
    const std::string audio = decoded_md5(path);
    ASSERT_FALSE(audio.empty());

    format_changes changes;
    changes.title = "T\u00eftle \u266a";
    changes.artist = "";
    changes.genre = 8;  // Jazz
    changes.rating = 8;
    ASSERT_EQ(B_OK, save(path, changes));

    auto after = mutagen_read_other(path);
    EXPECT_EQ("T\u00eftle \u266a", after["title"]);
    EXPECT_EQ(0u, after.count("artist"));
    EXPECT_EQ("Kept", after["album"]);
    EXPECT_EQ("Jazz", after["genre"]);
    EXPECT_EQ("80", after["RATING"]);
    EXPECT_EQ("0.8", after["FMPS_RATING"]);
    EXPECT_EQ(before.at("picture"), after["picture"]);
    EXPECT_EQ(before.at("replaygain"), after["replaygain"]);
    std::string said;
    EXPECT_TRUE(stream_checks_out(path, &said)) << said;
    EXPECT_EQ(audio, decoded_md5(path));
}

INSTANTIATE_TEST_SUITE_P(Formats, XiphRoundTrip, ::testing::Values("flac", "ogg", "opus"),
                         [](const auto &info) { return info.param; });

// The checker reads a copy back against the original: a copy damaged in the audio, in another
// block or in the field written is refused, each with its own status.
class CheckedCopy : public ::testing::Test {
protected:
    // The original at fPath, and at fEdited what a save of `fEdit` makes of it.
    void Make(const std::string &format) {
        fPath = fDir / ("original." + format);
        fEdited = fDir / ("edited." + format);
        make_audio(fPath, format);
        mutagen_tag_other(fPath, {{"title", "Old"}, {"artist", "Kept"}, {"picture", "300"}});
        write_file(fEdited, read_file(fPath));
        fEdit.title = "Checked Title";
        ASSERT_EQ(B_OK, save_title(fEdited, fEdit.title));
    }

    // The check of the edited bytes with `at` (from the end when negative) changed, written
    // whole as a copy, against the original.
    template <typename Check>
    status_t CheckDamaged(long at, Check check) {
        std::string bytes = read_file(fEdited);
        if (at != 0) {
            const size_t place =
                at < 0 ? bytes.size() - static_cast<size_t>(-at) : static_cast<size_t>(at);
            bytes[place] = static_cast<char>(bytes[place] ^ 0x20);
        }
        const std::string copy = fDir / "copy";
        write_file(copy, "");
        int source = open(fPath.c_str(), O_RDONLY);
        int target = open(copy.c_str(), O_RDWR);
        status_t status = B_ERROR;
        {
            copy_writer writer(source, target);
            if (writer.Write(bytes) == B_OK)
                status = check(source, target, writer);
        }
        close(source);
        close(target);
        return status;
    }

    TempDir fDir;
    std::string fPath, fEdited;
    format_edit fEdit;
};

TEST_F(CheckedCopy, AFlacCopyDamagedInTheAudioAnotherBlockOrTheFieldIsRefused) {
    Make("flac");
    auto check = [&](int source, int copy, const copy_writer &writer) {
        return check_flac_copy(source, copy, writer, fEdit);
    };
    const std::string edited = read_file(fEdited);
    size_t picture = 0;
    for (const auto &block : flac_blocks(edited)) {
        if (block.type == kPicture)
            picture = block.offset + 4 + block.body.size() / 2;
    }
    ASSERT_NE(0u, picture);
    const long title = static_cast<long>(edited.find("Checked Title"));
    ASSERT_GT(title, 0);

    EXPECT_EQ(B_OK, CheckDamaged(0, check));
    EXPECT_EQ(CHECK_AUDIO_CHANGED, CheckDamaged(-1, check));
    EXPECT_EQ(CHECK_OTHER_DATA_CHANGED, CheckDamaged(static_cast<long>(picture), check));
    EXPECT_EQ(CHECK_FIELD_WRONG, CheckDamaged(title + 3, check));
}

TEST_F(CheckedCopy, AnOggCopyDamagedInTheAudioAnotherFieldOrTheFieldIsRefused) {
    Make("ogg");
    auto check = [&](int source, int copy, const copy_writer &writer) {
        return check_ogg_copy(source, copy, writer, TAG_FORMAT_VORBIS, fEdit);
    };
    const std::string edited = read_file(fEdited);
    const long other = static_cast<long>(edited.find("=Kept"));
    const long title = static_cast<long>(edited.find("Checked Title"));
    ASSERT_GT(other, 0);
    ASSERT_GT(title, 0);

    EXPECT_EQ(B_OK, CheckDamaged(0, check));
    EXPECT_EQ(CHECK_AUDIO_CHANGED, CheckDamaged(-1, check));
    EXPECT_EQ(CHECK_OTHER_DATA_CHANGED, CheckDamaged(other + 2, check));
    EXPECT_EQ(CHECK_FIELD_WRONG, CheckDamaged(title + 3, check));
}

}  // namespace
