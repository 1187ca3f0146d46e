// Where other programs look, through the real player: the ID3v2 tag as a fallback and a
// mirror, and the desktop's rating. Tags are made by mutagen; what the add-on writes is read
// back by TagLib and mutagen.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include "AddonHarness.h"
#include "Id3v2Files.h"

using namespace addon_test;
using test_support::id3v2_tag;
using test_support::id3v2_text_frame;
using test_support::mutagen_read;
using test_support::mutagen_tag;

namespace {

const std::string kLongTitle = "Variations on a Theme by Haydn, Op. 56a, for Two Pianos";

// An MP3 from lame behind a tag built by hand with no padding: any longer text must grow it.
std::string make_tight_file(const TempDir &dir, const std::string &name) {
    std::string path = dir / name;
    make_mp3(path);
    write_file(path, id3v2_tag(3, id3v2_text_frame(3, "TIT2", "Old")) + read_file(path));
    return path;
}

ino_t inode(const std::string &path) {
    struct stat st = {};
    stat(path.c_str(), &st);
    return st.st_ino;
}

}  // namespace

TEST(Id3v2Form, AnId3v2OnlyFileShowsItsFieldsAndAnEditReachesBothTags) {
    TempDir dir;
    std::string first = dir / "first.mp3", second = dir / "second.mp3";
    make_mp3(first);
    make_mp3(second);
    mutagen_tag(first, {{"version", "3"},
                        {"encoding", "1"},
                        {"title", "Café del Mar"},
                        {"artist", "Energy 52"},
                        {"genre", "(31)"},
                        {"picture", "1"}});
    mutagen_tag(second, {{"version", "4"}, {"title", "夜の歌"}, {"album", "Nights"}});
    std::string picture = mutagen_read(first)["APIC"];
    FileState passed = file_state(second);

    RunResult result = run_player(dir,
                                  "enable\nform\nnext\nform\nprev\n"
                                  "set title Café del Mar (Remix)\nsave\nstatus\n",
                                  {first, second});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    auto shown = form_answers(result.OutLines(), 0);
    EXPECT_EQ(shown["title"], "Café del Mar");
    EXPECT_EQ(shown["artist"], "Energy 52");
    EXPECT_EQ(shown["genre"], "Trance");
    EXPECT_EQ(form_answers(result.OutLines(), 1)["title"], "夜の歌");
    EXPECT_EQ(form_answers(result.OutLines(), 1)["album"], "Nights");
    // Shown, not edited: the second file is as it was.
    EXPECT_EQ(file_state(second), passed);
    EXPECT_EQ(status_answers(result.OutLines()),
              std::vector<std::string>{"first.mp3 \u2014 saved"});
    EXPECT_EQ(count_lines(result.OutLines(), "Saving id3v2 info"), 1);
    EXPECT_EQ(count_lines(result.OutLines(), "Saved id3v2 info"), 1);

    TagLib::MPEG::File file(first.c_str());
    ASSERT_TRUE(file.hasID3v2Tag());
    EXPECT_EQ(file.ID3v2Tag()->title().to8Bit(true), "Café del Mar (Remix)");
    EXPECT_EQ(file.ID3v2Tag()->header()->majorVersion(), 3u);
    EXPECT_EQ(file.ID3v2Tag()->frameList("APIC").size(), 1u);
    ASSERT_TRUE(file.hasID3v1Tag());
    EXPECT_EQ(file.ID3v1Tag()->title().to8Bit(true), "Café del Mar (Remix)");
    EXPECT_EQ(mutagen_read(first)["APIC"], picture);
}

// Moving on saves the edit: a fresh ID3v1 tag takes all four fields, the ID3v2 tag only the
// edited one, so what another tagger put there stays.
TEST(Id3v2Form, AnAutomaticSaveGivesTheId3v2TagOnlyTheEditedField) {
    TempDir dir;
    std::string path = dir / "song.mp3", other = dir / "other.mp3";
    make_mp3(path);
    make_mp3(other);
    mutagen_tag(path, {{"title", "Title"}, {"artist", "Tag Artist"}});
    set_string_attr(path, "Audio:Artist", "Attribute Artist");

    RunResult result = run_player(dir, "enable\nset title Edited\nnext\n", {path, other});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    auto tag = mutagen_read(path);
    EXPECT_EQ(tag["TIT2"], "Edited");
    EXPECT_EQ(tag["TPE1"], "Tag Artist");
    EXPECT_EQ(taglib_id3v1(path).artist, "Attribute Artist");
}

TEST(Id3v2Form, AGrowingTagReplacesTheFileAndTheFormFollowsIt) {
    TempDir dir;
    std::string path = make_tight_file(dir, "song.mp3");
    set_string_attr(path, "Audio:Album", "Kept");
    ino_t before = inode(path);

    RunResult result = run_player(dir,
                                  "enable\nset title " + kLongTitle +
                                      "\nsave\nstatus\nset artist Second Save\nsave\nstatus\n",
                                  {path});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    // The second save goes into the new file: the form belongs to it.
    EXPECT_EQ(status_answers(result.OutLines()),
              (std::vector<std::string>{"song.mp3 \u2014 saved", "song.mp3 \u2014 saved"}));
    EXPECT_NE(inode(path), before);
    auto tag = mutagen_read(path);
    EXPECT_EQ(tag["TIT2"], kLongTitle);
    EXPECT_EQ(tag["TPE1"], "Second Save");
    EXPECT_EQ(getfattr_all(path)["user.haiku.Audio:Album"], stored_string("Kept"));
    EXPECT_EQ(taglib_id3v1(path).title, kLongTitle.substr(0, 30));
}

TEST(Id3v2Form, AHardLinkedFileKeepsItsId3v2TagAndTheStatusLineSaysSo) {
    TempDir dir;
    std::string path = make_tight_file(dir, "song.mp3");
    ASSERT_EQ(0, link(path.c_str(), (dir / "linked.mp3").c_str()));

    RunResult result = run_player(dir, "enable\nset title " + kLongTitle + "\nsave\n", {path});
    // Attributes and ID3v1 are written; the save command still fails, as ID3v2 was not.
    const std::string status =
        "song.mp3 \u2014 saved, but not in its ID3v2 tag: the file has other hard links";
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err,
              "brindle-player: line 3: save: the form was not saved (" + status + ")\n");
    EXPECT_EQ(mutagen_read(path)["TIT2"], "Old");
    EXPECT_EQ(taglib_id3v1(path).title, kLongTitle.substr(0, 30));
    EXPECT_EQ(getfattr_all(path)["user.haiku.Audio:Title"], stored_string(kLongTitle));
}

TEST(Id3v2Form, TheDesktopRatingIsReadWhenRatingIsMissingAndWrittenWithIt) {
    TempDir dir;
    std::string desktopOnly = dir.Write("desktop.txt", "notes\n");
    std::string both = dir.Write("both.txt", "notes\n");
    ASSERT_TRUE(test_support::setfattr(desktopOnly, "user.baloo.rating", "8"));
    ASSERT_TRUE(test_support::setfattr(both, "user.baloo.rating", "8"));
    set_int32_attr(both, "Audio:Rating", 3);

    RunResult result = run_player(dir, "enable\nform\nnext\nform\nprev\npick rating 4\nsave\n",
                                  {desktopOnly, both});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(form_answers(result.OutLines(), 0)["rating"], "8");
    EXPECT_EQ(form_answers(result.OutLines(), 1)["rating"], "3");  // the attribute wins
    auto attributes = getfattr_all(desktopOnly);
    EXPECT_EQ(attributes["user.baloo.rating"], "4");
    EXPECT_EQ(attributes["user.haiku.Audio:Rating"], stored_int32(4));
}
