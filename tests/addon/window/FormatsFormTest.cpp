// FLAC, Ogg Vorbis, Opus and M4A files through the real player: their own tag fills the form
// and takes what the form writes, with ratings in every convention; for MP3s with both ID3
// tags, the full ID3v2 text wins over the ID3v1 cut. Files come from the formats' own
// encoders, tags are made and read back by mutagen, and mpv shows what a player sees.
#include <gtest/gtest.h>

#include <unistd.h>

#include "AddonHarness.h"
#include "Id3v2Files.h"

using namespace addon_test;
using test_support::mutagen_read;
using test_support::mutagen_read_other;
using test_support::mutagen_strip_other;
using test_support::mutagen_tag;
using test_support::mutagen_tag_other;

namespace {

// The title mpv shows for the file, as its status line prints it.
std::string mpv_title(const std::string &path) {
    std::string output;
    test_support::run_command(
        "mpv --no-config --ao=null --vo=null --end=0.1 "
        "--term-playing-msg='TITLE=${metadata/by-key/title}' " +
            test_support::shell_quote(path) + " 2>/dev/null",
        &output);
    for (const std::string &line : split_lines(output)) {
        if (line.compare(0, 6, "TITLE=") == 0)
            return line.substr(6);
    }
    return "(no title line)";
}

class FormatsForm : public ::testing::TestWithParam<std::string> {
protected:
    // A file of the format under test, fresh from its encoder.
    std::string Make(const std::string &name) {
        std::string path = fDir / (name + "." + GetParam());
        make_audio(path, GetParam());
        return path;
    }
    // The name of the format's rating convention KDE's writer uses.
    std::string OwnRatingKey() const { return GetParam() == "m4a" ? "rate" : "RATING"; }

    TempDir fDir;
};

TEST_P(FormatsForm, TheTagFillsTheFormAndAnEditReachesItKeepingEverythingElse) {
    std::string path = Make("song");
    mutagen_tag_other(path, {{"title", "Tag Title"},
                             {"artist", "Tag Artist"},
                             {"genre", "rock"},
                             {"picture", "1"},
                             {"replaygain", "-3.50 dB"}});
    auto before = mutagen_read_other(path);

    RunResult result =
        run_player(fDir, "enable\nform\nset title Edited Title\nsave\nstatus\n", {path});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    auto shown = form_answers(result.OutLines());
    EXPECT_EQ(shown["title"], "Tag Title");
    EXPECT_EQ(shown["artist"], "Tag Artist");
    EXPECT_EQ(shown["genre"], "Rock");  // matched in any case
    EXPECT_EQ(status_answers(result.OutLines()),
              std::vector<std::string>{"song." + GetParam() + " \u2014 saved"});

    auto after = mutagen_read_other(path);
    EXPECT_EQ(after["title"], "Edited Title");
    EXPECT_EQ(after["artist"], "Tag Artist");
    EXPECT_EQ(after["genre"], "rock");  // the same genre: its text stays
    EXPECT_EQ(after["picture"], before["picture"]);
    EXPECT_EQ(after["replaygain"], before["replaygain"]);
    // Save wrote the Rating the form showed untouched: no rating appears anywhere but in the
    // attribute.
    EXPECT_EQ(after.count(OwnRatingKey()), 0u);
    auto attributes = getfattr_all(path);
    EXPECT_EQ(attributes.count("user.baloo.rating"), 0u);
    EXPECT_EQ(attributes["user.haiku.Audio:Rating"], stored_int32(1));
    EXPECT_EQ(mpv_title(path), "Edited Title");
}

TEST_P(FormatsForm, AFileWithoutATagGetsOneWithWhatTheFormWrites) {
    std::string path = Make("bare");
    mutagen_strip_other(path);
    ASSERT_EQ(mutagen_read_other(path)["tag"], "none");

    RunResult result = run_player(
        fDir, "enable\nset title New Title\nset artist New Artist\npick genre Jazz\nnext\n",
        {path});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    auto tag = mutagen_read_other(path);
    EXPECT_EQ(tag["title"], "New Title");
    EXPECT_EQ(tag["artist"], "New Artist");
    EXPECT_EQ(tag["genre"], "Jazz");
    EXPECT_EQ(tag.count("album"), 0u);  // an automatic save writes only the edited fields
}

TEST_P(FormatsForm, ARatingIsReadFromItsConventionAndWrittenBackWhereItIs) {
    // Each format with a convention other programs write: 8 of 10 in each one's scale.
    const std::map<std::string, std::pair<std::string, std::string>> carried = {
        {"flac", {"RATING", "80"}},
        {"ogg", {"FMPS_RATING", "0.8"}},
        {"opus", {"FMPS_Rating", "0.8"}},
        {"m4a", {"rate", "80"}}};
    const auto &[key, value] = carried.at(GetParam());
    std::string path = Make("rated");
    mutagen_tag_other(path, {{key, value}});

    RunResult result = run_player(fDir, "enable\nform\npick rating 4\nsave\n", {path});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(form_answers(result.OutLines())["rating"], "8");
    auto tag = mutagen_read_other(path);
    const std::string upper = key == "FMPS_Rating" ? "FMPS_RATING" : key;
    EXPECT_EQ(tag[upper], upper == "FMPS_RATING" ? "0.4" : "40");
    // The person chose it: KDE's own convention and the desktop's rating are added.
    EXPECT_EQ(tag[OwnRatingKey()], "40");
    EXPECT_EQ(getfattr_all(path)["user.baloo.rating"], "4");
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatsForm, ::testing::Values("flac", "ogg", "opus", "m4a"),
                         [](const auto &info) { return info.param; });

TEST(FormatsFormTags, AGenreTheMenuLacksShowsUnknownAndKeepsItsText) {
    TempDir dir;
    std::string path = dir / "song.flac";
    make_audio(path, "flac");
    mutagen_tag_other(path, {{"genre", "Shoegaze"}});

    RunResult result = run_player(dir, "enable\nform\nset title Edited\nsave\n", {path});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(form_answers(result.OutLines())["genre"], "unknown");
    EXPECT_EQ(mutagen_read_other(path)["genre"], "Shoegaze");
}

// An MP3 with both ID3 tags shows the full ID3v2 texts, and a save keeps them there, where
// the ID3v1 tag holds its 30-byte cut (or texts of its own).
TEST(FormatsFormTags, BothId3TagsShowTheFullId3v2TextAndASaveKeepsIt) {
    TempDir dir;
    const std::string longTitle = "A Very Long Song Title That Goes Past Thirty Characters";
    std::string path = dir / "both.mp3";
    make_mp3(path);
    mutagen_tag(path, {{"title", longTitle}, {"artist", "Both Tags V2 Artist"}});
    write_file(path, read_file(path) + id3v1_tag(longTitle, "Both Tags V1 Artist", "", 17));

    RunResult result = run_player(dir, "enable\nform\npick rating 7\nsave\n", {path});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    auto shown = form_answers(result.OutLines());
    EXPECT_EQ(shown["title"], longTitle);
    EXPECT_EQ(shown["artist"], "Both Tags V2 Artist");
    EXPECT_EQ(shown["genre"], "Rock");  // from ID3v1, where ID3v2 has none
    EXPECT_EQ(count_lines(result.OutLines(), "Checking for id3 info"), 2);  // load and save
    auto tag = mutagen_read(path);
    EXPECT_EQ(tag["TIT2"], longTitle);
    EXPECT_EQ(tag["TPE1"], "Both Tags V2 Artist");
    EXPECT_EQ(taglib_id3v1(path).title, longTitle.substr(0, 30));
    EXPECT_EQ(taglib_id3v1(path).artist, "Both Tags V2 Artist");
}

// An ID3v1 tag holds one encoding: a title beyond Latin-1 makes the whole tag UTF-8, the
// artist left as it was re-encoded with it, its text the same.
TEST(FormatsFormTags, AnId3v1TagHoldsOneEncoding) {
    TempDir dir;
    std::string path = dir / "song.mp3";
    make_mp3(path);
    write_file(path, read_file(path) + id3v1_tag("Old", "Caf\xE9", "", 255));

    RunResult result = run_player(dir, "enable\nform\nset title 夜の歌\nnext\n", {path});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(form_answers(result.OutLines())["artist"], "Café");
    const std::string tag = read_file(path).substr(file_size(path) - 128);
    EXPECT_EQ(tag.substr(3, 30), std::string("夜の歌") + std::string(21, '\0'));
    EXPECT_EQ(tag.substr(33, 30), std::string("Café") + std::string(25, '\0'));
}

// An MP3's ID3v2 tag rates it through POPM (every frame, its e-mail and play counter kept)
// and FMPS_Rating; one POPM is added, with KDE's e-mail, only when the person chose a rating.
TEST(FormatsFormTags, Id3v2RatingsAreReadAndWrittenWhereTheyAre) {
    TempDir dir;
    std::string rated = dir / "rated.mp3", unrated = dir / "unrated.mp3";
    make_mp3(rated);
    make_mp3(unrated);
    mutagen_tag(rated, {{"title", "Rated"},
                        {"genre", "jazz"},
                        {"popm", "Windows Media Player 9 Series:196:5"},
                        {"fmps", "0.8"}});
    mutagen_tag(unrated, {{"title", "Unrated"}});

    RunResult result = run_player(dir,
                                  "enable\nform\nset title A Longer Rated Title\npick rating 4\n"
                                  "next\nsave\nstatus\n"
                                  "pick rating 10\nsave\n",
                                  {rated, unrated});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(form_answers(result.OutLines())["rating"], "8");
    EXPECT_EQ(form_answers(result.OutLines())["genre"], "Jazz");  // TCON's text in any case
    auto tag = mutagen_read(rated);
    // The longer title moves the frames after it, so the tag is rewritten beside the file;
    // the ratings then go into the new file, not the one the rename replaced.
    EXPECT_EQ(tag["TIT2"], "A Longer Rated Title");
    EXPECT_EQ(tag["POPM:Windows Media Player 9 Series"], "64 5");
    EXPECT_EQ(tag["TXXX:FMPS_Rating"], "0.4");
    EXPECT_EQ(tag.count("POPM:org.kde.kfilemetadata"), 0u);  // it carries one already
    EXPECT_EQ(getfattr_all(rated)["user.baloo.rating"], "4");
    EXPECT_EQ(status_answers(result.OutLines()),
              std::vector<std::string>{"unrated.mp3 \u2014 saved"});
    tag = mutagen_read(unrated);
    EXPECT_EQ(tag["POPM:org.kde.kfilemetadata"], "255 0");
    EXPECT_EQ(getfattr_all(unrated)["user.baloo.rating"], "10");
}

bool maps_module(pid_t pid, const std::string &module) {
    return read_file("/proc/" + std::to_string(pid) + "/maps").find(module) != std::string::npos;
}

// Browsing files whose fields all come from attributes never loads TagLib; a file whose tag
// TagLib reads loads it then.
TEST(FormatsFormTags, TagLibIsLoadedOnlyForAFieldTheAttributesLeaveEmpty) {
    TempDir dir;
    std::string described = dir / "described.m4a", bare = dir / "bare.m4a";
    make_audio(described, "m4a");
    make_audio(bare, "m4a");
    for (const char *name : {"Audio:Title", "Audio:Artist", "Audio:Album"})
        set_string_attr(described, name, "Set");
    set_string_attr(described, "Audio:Genre", "Rock");
    set_int32_attr(described, "Audio:Rating", 5);

    PlayerSession session(dir, {described, bare});
    ASSERT_TRUE(session.Send("enable"));
    ASSERT_TRUE(session.Sync());
    EXPECT_FALSE(maps_module(session.Pid(), "brindle-formats.so"));
    ASSERT_TRUE(session.Send("next"));
    ASSERT_TRUE(session.Sync());
    EXPECT_TRUE(maps_module(session.Pid(), "brindle-formats.so"));
    EXPECT_EQ(session.Finish().exitStatus, 0);
}

// A file with other hard links is never replaced: its tag stays as it was, and the status
// line says why. (A title of the old one's length would be written in place.)
TEST(FormatsFormTags, AHardLinkedFileKeepsItsTagAndTheStatusLineSaysSo) {
    TempDir dir;
    std::string path = dir / "song.opus";
    make_audio(path, "opus");
    mutagen_tag_other(path, {{"title", "Old"}});
    ASSERT_EQ(0, link(path.c_str(), (dir / "linked.opus").c_str()));

    RunResult result = run_player(dir, "enable\nset title A New Title\nsave\n", {path});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_NE(result.err.find("song.opus \u2014 saved, but not in its tag: the file has other "
                              "hard links"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(mutagen_read_other(path)["title"], "Old");
    EXPECT_EQ(getfattr_all(path)["user.haiku.Audio:Title"], stored_string("A New Title"));
}

// TagLib cannot write an ID3v2.2 tag without dropping frames: a chosen rating stays out of
// it, and the status line says so.
TEST(FormatsFormTags, AnId3v22TagTakesNoRatingAndTheStatusLineSaysSo) {
    TempDir dir;
    std::string path = dir / "old.mp3";
    make_mp3(path);
    const std::string tag =
        test_support::id3v2_tag(2, test_support::id3v2_text_frame(2, "TT2", "Old"), 64);
    write_file(path, tag + read_file(path));

    RunResult result = run_player(dir, "enable\npick rating 6\nsave\n", {path});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_NE(result.err.find("old.mp3 \u2014 saved, but not in its tag: an ID3v2.2 tag takes no "
                              "rating"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(read_file(path).substr(0, tag.size()), tag);
    EXPECT_EQ(getfattr_all(path)["user.haiku.Audio:Rating"], stored_int32(6));
}

}  // namespace
