// MP4 tags: TagLib writes the ilst on a copy that our own check reads back against the
// original; a fragmented file is not written. Made by ffmpeg, tagged and read back by mutagen
// and ffprobe, the audio compared as ffmpeg decodes it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include <File.h>

#include "Id3v2Files.h"
#include "TagsTestSupport.h"
#include "tags/format_tags.h"
#include "tags/mp4/mp4_check.h"
#include "tags/save_check.h"

using namespace tags_test;
using test_support::decoded_md5;
using test_support::mutagen_read_other;
using test_support::mutagen_tag_other;

namespace {

status_t save(const std::string &path, const format_changes &changes) {
    BFile file(path.c_str(), B_READ_WRITE);
    bool replaced = false;
    node_ref replacement;
    return write_format_fields(file, TAG_FORMAT_MP4, changes, &replaced, &replacement);
}

// A title save of the file at `path` is refused with `status`, and the file keeps every byte.
void expect_title_save_refused(const std::string &path, status_t status) {
    const std::string before = read_file(path);
    format_changes changes;
    changes.title = "New";
    EXPECT_EQ(save(path, changes), status);
    EXPECT_EQ(read_file(path), before);
}

// TagLib 1.13 moves only the first fragment's data offset: every later fragment would point
// at its old place.
TEST(Mp4Tag, AFragmentedFileIsNotWrittenAndKeepsEveryByte) {
    TempDir dir;
    const std::string path = dir / "fragments.m4a";
    make_audio(path, "m4a-fragmented");
    expect_title_save_refused(path, TAG_FRAGMENTED_MP4);
}

// A chunk offset table whose count claims more entries than it holds: TagLib would move that
// many offsets one write at a time, for hours. The file is refused before TagLib sees it.
TEST(Mp4Tag, AChunkOffsetTableThatClaimsMoreThanItHoldsIsNotWritten) {
    TempDir dir;
    const std::string path = dir / "damaged.m4a";
    make_audio(path, "m4a");
    std::string bytes = read_file(path);
    const size_t stco = bytes.find("stco");
    ASSERT_NE(stco, std::string::npos);
    bytes.replace(stco + 8, 4, "\xff\xff\xff\xf0");  // after version and flags
    write_file(path, bytes);
    expect_title_save_refused(path, B_BAD_DATA);
}

// The moov comes before the audio and the ilst grows past its room, so every chunk offset
// moves: the check takes the shifted copy.
TEST(Mp4Tag, ASaveHoldsWhatWasMeantAndKeepsTheAudioAndEveryOtherItem) {
    TempDir dir;
    const std::string path = dir / "song.m4a";
    make_audio(path, "m4a-faststart");
    mutagen_tag_other(path, {{"title", "Old"},
                             {"album", "Album"},
                             {"genre", "Rock"},
                             {"picture", "3000"},
                             {"replaygain", "-3.5 dB"},
                             {"rate", "40"}});
    const auto tagged = mutagen_read_other(path);
    const std::string audio = decoded_md5(path);
    ASSERT_NE(audio, "");

    const std::string title(3000, 'T');
    format_changes changes;
    changes.title = title.c_str();
    changes.artist = "Artist";
    changes.album = "";
    changes.genre = 8;  // Jazz
    changes.rating = 8;
    ASSERT_EQ(save(path, changes), B_OK);

    auto read = mutagen_read_other(path);
    EXPECT_EQ(read["title"], title);
    EXPECT_EQ(read["artist"], "Artist");
    EXPECT_EQ(read.count("album"), 0u);
    EXPECT_EQ(read["genre"], "Jazz");
    EXPECT_EQ(read["rate"], "80");
    EXPECT_EQ(read["picture"], tagged.at("picture"));
    EXPECT_EQ(read["replaygain"], "-3.5 dB");
    std::string probed;
    ASSERT_EQ(run_command("ffprobe -v quiet -show_entries format_tags=title,artist -of "
                          "default=noprint_wrappers=1 " +
                              shell_quote(path),
                          &probed),
              0);
    EXPECT_NE(probed.find("TAG:title=" + title + "\n"), std::string::npos);
    EXPECT_NE(probed.find("TAG:artist=Artist\n"), std::string::npos);
    EXPECT_EQ(decoded_md5(path), audio);
}

// A copy TagLib saved, then spoilt one way at a time: each is refused in its own words.
class Mp4Check : public testing::Test {
protected:
    void SetUp() override {
        make_audio(fOriginal, "m4a-faststart");
        mutagen_tag_other(fOriginal, {{"title", "Old"}, {"album", "Album"}});
        write_file(fSaved, read_file(fOriginal));
        fEdit.title = "A title longer than the room the old one left";
        format_changes changes;
        changes.title = fEdit.title;
        ASSERT_EQ(save(fSaved, changes), B_OK);
        fBytes = read_file(fSaved);
    }

    status_t Check(const std::string &copy, const format_edit &edit) {
        write_file(fSpoilt, copy);
        const int source = open(fOriginal.c_str(), O_RDONLY | O_CLOEXEC);
        const int spoilt = open(fSpoilt.c_str(), O_RDONLY | O_CLOEXEC);
        status_t status = check_mp4_copy(source, spoilt, edit);
        close(source);
        close(spoilt);
        return status;
    }

    // The saved copy with one byte of the atom `type` changed, `into` bytes into its payload
    // (from its middle when `into` is negative).
    std::string Spoilt(const char *type, long into) {
        std::string copy = fBytes;
        const size_t at = copy.find(type);
        size_t size = 0;
        for (size_t i = at - 4; i < at; i++)
            size = size << 8 | static_cast<unsigned char>(copy[i]);
        const size_t byte = at + 4 + (into < 0 ? (size - 8) / 2 : static_cast<size_t>(into));
        copy[byte] = static_cast<char>(copy[byte] ^ 0x5a);
        return copy;
    }

    TempDir fDir;
    const std::string fOriginal = fDir / "original.m4a";
    const std::string fSaved = fDir / "saved.m4a";
    const std::string fSpoilt = fDir / "spoilt.m4a";
    format_edit fEdit;
    std::string fBytes;
};

TEST_F(Mp4Check, EachSpoiltCopyIsRefusedWithItsOwnStatus) {
    EXPECT_EQ(Check(fBytes, fEdit), B_OK);
    EXPECT_EQ(Check(Spoilt("mdat", -1), fEdit), CHECK_AUDIO_CHANGED);
    EXPECT_EQ(Check(Spoilt("stts", 11), fEdit), CHECK_OTHER_DATA_CHANGED);
    format_edit other = fEdit;
    other.title = "Another title";
    EXPECT_EQ(Check(fBytes, other), CHECK_FIELD_WRONG);
    EXPECT_EQ(Check(fBytes.substr(0, fBytes.size() - 100), fEdit), CHECK_LENGTH_WRONG);
}

}  // namespace
