// Loading the form from attributes and ID3v1 tags, and saving it back, checked with
// getfattr and TagLib on real MP3 files made by lame.
#include <gtest/gtest.h>

#include "AddonHarness.h"

using namespace addon_test;

namespace {

const std::string kPlainText = "plain text\n";

// The six attributes a save writes, and the desktop's rating that mirrors Rating.
std::map<std::string, std::string> saved_attributes(const std::string &title,
                                                    const std::string &artist,
                                                    const std::string &album,
                                                    const std::string &genre, int rating,
                                                    int volume) {
    return {
        {"user.haiku.Audio:Title", stored_string(title)},
        {"user.haiku.Audio:Artist", stored_string(artist)},
        {"user.haiku.Audio:Album", stored_string(album)},
        {"user.haiku.Audio:Genre", stored_string(genre)},
        {"user.haiku.Audio:Rating", stored_int32(rating)},
        {"user.haiku.Audio:VolumeAdjustment", stored_int32(volume)},
    };
}

// The same, with the desktop's rating a rating chosen in the form adds.
std::map<std::string, std::string> saved_rated_attributes(const std::string &title,
                                                          const std::string &artist,
                                                          const std::string &album,
                                                          const std::string &genre, int rating,
                                                          int volume) {
    auto attributes = saved_attributes(title, artist, album, genre, rating, volume);
    attributes["user.baloo.rating"] = std::to_string(rating);
    return attributes;
}

std::vector<std::string> after(const std::vector<std::string> &lines, const std::string &line) {
    auto at = std::find(lines.begin(), lines.end(), line);
    return at == lines.end() ? std::vector<std::string>()
                             : std::vector<std::string>(at + 1, lines.end());
}

}  // namespace

TEST(FormSave, SaveAppendsTagToUntaggedMpegFile) {
    TempDir dir;
    std::string path = dir / "song.mp3";
    make_mp3(path);
    std::string audio = read_file(path);
    std::string found = bytes_at_tag_position(path);

    RunResult result = run_player(dir,
                                  "enable\n"
                                  "set title Night Drive\n"
                                  "set artist The Testers\n"
                                  "set album Loops\n"
                                  "pick genre Rock\n"
                                  "pick rating 7\n"
                                  "pick volume 1\n"
                                  "save\n"
                                  "status\n",
                                  {path});
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(after(result.OutLines(), "Brindle - show"),
              (std::vector<std::string>{
                  "Volume adjusted from: 0 to 1",
                  "changing vol from 1.000000 to 1.250000",
                  "Checking for id3 info",
                  "Tag not found, found: " + found,
                  "Added id3 info",
                  "Saving id3 info",
                  "Saved id3 info",
                  "= status song.mp3 \u2014 saved",
                  "Brindle - destroyplugin",
                  "PluginWindow destructor",
                  // Closing gives the +1 back.
                  "changing vol from 1.250000 to 1.000000",
              }))
        << result.out;

    EXPECT_EQ(getfattr_all(path),
              saved_rated_attributes("Night Drive", "The Testers", "Loops", "Rock", 7, 1));
    std::string saved = read_file(path);
    ASSERT_EQ(saved.size(), audio.size() + 128);
    EXPECT_EQ(saved.substr(0, audio.size()), audio);
    EXPECT_EQ(saved.substr(audio.size()), id3v1_tag("Night Drive", "The Testers", "Loops", 17));

    TagLibTag tag = taglib_id3v1(path);
    ASSERT_TRUE(tag.present);
    EXPECT_EQ(tag.title, "Night Drive");
    EXPECT_EQ(tag.artist, "The Testers");
    EXPECT_EQ(tag.album, "Loops");
    EXPECT_EQ(tag.genre, 17u);
}

TEST(FormSave, AnUntaggedMpegFileMovedPastIsUntouchedAndSaveTagsItWithNoGenre) {
    TempDir dir;
    std::string first = dir / "first.mp3", second = dir / "second.mp3";
    make_mp3(first);
    make_mp3(second);
    std::string audio = read_file(first);
    FileState passed = file_state(second);

    RunResult result = run_player(dir, "enable\nnext\nprev\nsave\n", {first, second});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    // Played, not edited: not a byte, attribute or time of it changed.
    EXPECT_EQ(file_state(second), passed);
    // Save writes the form as it shows; the tag it appends names no genre.
    // A Rating the person never touched adds no desktop rating ("1" would be half a star).
    EXPECT_EQ(getfattr_all(first), saved_attributes("", "", "", "unknown", 1, 0));
    EXPECT_EQ(read_file(first), audio + id3v1_tag("", "", "", 255));
    EXPECT_EQ(taglib_id3v1(first).genre, 255u);

    RunResult reload = run_player(dir, "enable\nform\n", {first});
    ASSERT_EQ(reload.exitStatus, 0) << reload.err;
    EXPECT_EQ(form_answers(reload.OutLines())["genre"], "unknown");
}

TEST(FormText, Id3v1TextIsLatin1ForOtherReadersAndEveryTextComesBack) {
    TempDir dir;
    std::string ours = dir / "ours.mp3", theirs = dir / "theirs.mp3", copy = dir / "copy.mp3";
    make_mp3(ours);
    make_mp3(theirs);
    std::string audio = read_file(ours);
    taglib_write_id3v1(theirs, "Caf\u00e9 \u00fcber", "\u00c4rzte", "", 8);

    RunResult saved = run_player(
        dir, "enable\nset title \u00c4rger\nset artist Caf\u00e9 \u00fcber\nsave\n", {ours});
    ASSERT_EQ(saved.exitStatus, 0) << saved.err;
    // Latin-1 when every character has a form there (FormatsFormTags.AnId3v1TagHoldsOneEncoding
    // has the other case).
    std::string tag = read_file(ours).substr(audio.size());
    EXPECT_EQ(tag.substr(3, 6), std::string("\xc4rger\0", 6));
    EXPECT_EQ(tag.substr(33, 10), std::string("Caf\xe9 \xfc"
                                              "ber\0",
                                              10));
    EXPECT_EQ(taglib_id3v1(ours).artist, "Caf\u00e9 \u00fcber");
    EXPECT_EQ(getfattr_all(ours)["user.haiku.Audio:Title"], stored_string("\u00c4rger"));

    // The tag alone (no attributes) and TagLib's tag both read back as they were meant.
    write_file(copy, read_file(ours));
    RunResult loaded = run_player(dir, "enable\nform\nnext\nform\n", {theirs, copy});
    ASSERT_EQ(loaded.exitStatus, 0) << loaded.err;
    std::map<std::string, std::string> fromTagLib = form_answers(loaded.OutLines(), 0);
    EXPECT_EQ(fromTagLib["title"], "Caf\u00e9 \u00fcber");
    EXPECT_EQ(fromTagLib["artist"], "\u00c4rzte");
    EXPECT_EQ(fromTagLib["genre"], "Jazz");
    std::map<std::string, std::string> fromUs = form_answers(loaded.OutLines(), 1);
    EXPECT_EQ(fromUs["title"], "\u00c4rger");
    EXPECT_EQ(fromUs["artist"], "Caf\u00e9 \u00fcber");
    EXPECT_TRUE(getfattr_all(theirs).empty());
}

TEST(FormSave, NonMpegFileGainsAttributesAndNotAByte) {
    TempDir dir;
    std::string path = dir / "notes.txt";
    write_file(path, kPlainText);

    RunResult result = run_player(dir, "enable\nset title Memo\nsave\n", {path});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(after(result.OutLines(), "Brindle - show"),
              (std::vector<std::string>{
                  "Checking for id3 info",
                  "Not an audio/x-mpeg file, is text/plain",
                  "Not an audio/x-mpeg file, is text/plain",
                  "Brindle - destroyplugin",
                  "PluginWindow destructor",
              }))
        << result.out;
    EXPECT_EQ(read_file(path), kPlainText);
    EXPECT_EQ(getfattr_all(path), saved_attributes("Memo", "", "", "unknown", 1, 0));
}

TEST(FormLoad, RatingAndVolumeAreClampedOnLoadAndAppliedRelatively) {
    TempDir dir;
    std::string high = dir / "high.txt", low = dir / "low.txt", bare = dir / "bare.txt";
    for (const std::string &path : {high, low, bare})
        write_file(path, kPlainText);
    set_int32_attr(high, "Audio:Rating", 15);
    set_int32_attr(high, "Audio:VolumeAdjustment", 9);
    set_int32_attr(low, "Audio:Rating", 0);
    set_int32_attr(low, "Audio:VolumeAdjustment", -9);

    RunResult result =
        run_player(dir, "enable\nform\nnext\nform\nnext\nform\nvolume\n", {high, low, bare});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.OutLines();
    EXPECT_EQ(form_answers(lines, 0)["rating"], "10");
    EXPECT_EQ(form_answers(lines, 0)["volume"], "4");
    EXPECT_EQ(form_answers(lines, 1)["rating"], "1");
    EXPECT_EQ(form_answers(lines, 1)["volume"], "-4");
    EXPECT_EQ(form_answers(lines, 2)["rating"], "1");
    EXPECT_EQ(form_answers(lines, 2)["volume"], "0");
    // 1.0 +4 steps clamps at 2.0; -8 steps from there reach 0; +4 steps give 1.0 again.
    EXPECT_EQ(lines_starting(lines, "changing vol from "),
              (std::vector<std::string>{
                  "changing vol from 1.000000 to 2.000000",
                  "changing vol from 2.000000 to 0.000000",
                  "changing vol from 0.000000 to 1.000000",
              }));
    EXPECT_EQ(count_lines(lines, "= volume 1"), 1);
    // Clamped for the form only: moving past them writes nothing back.
    EXPECT_EQ(getfattr_all(high)["user.haiku.Audio:Rating"], stored_int32(15));
    EXPECT_EQ(getfattr_all(low)["user.haiku.Audio:VolumeAdjustment"], stored_int32(-9));
}

TEST(FormLoad, AttributeTextWinsOverTheTagAndEmptyFieldsFallBackToIt) {
    TempDir dir;
    std::string path = dir / "tagged.mp3";
    make_mp3(path);
    write_file(path, read_file(path) + id3v1_tag("Tag Title", "Tag Artist", "Tag Album", 17));
    set_string_attr(path, "Audio:Title", "Attr Title");
    set_string_attr(path, "Audio:Artist", "");

    RunResult result = run_player(dir, "enable\nform\n", {path});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.OutLines();
    EXPECT_EQ(form_answers(lines), (std::map<std::string, std::string>{{"title", "Attr Title"},
                                                                       {"album", "Tag Album"},
                                                                       {"artist", "Tag Artist"},
                                                                       {"genre", "Rock"},
                                                                       {"rating", "1"},
                                                                       {"volume", "0"}}));
    std::vector<std::string> loaded = after(lines, "Switching files");
    loaded.resize(std::min<size_t>(loaded.size(), 6));
    EXPECT_EQ(loaded, (std::vector<std::string>{
                          "Setting Audio:Artist: ",
                          "Getting genre id...done - 148",
                          "Setting genre popup...done",
                          "Setting Audio:Title: Attr Title",
                          "Checking for id3 info",
                          "Volume adjusted from: 0 to 0",
                      }))
        << result.out;
}

TEST(FormLoad, TagGenreByteSelectsTheMenuItemUnlessTheAttributeNamesOne) {
    TempDir dir;
    std::string rock = dir / "rock.mp3", none = dir / "none.mp3", named = dir / "named.mp3";
    for (const std::string &path : {rock, none, named})
        make_mp3(path);
    std::string audio = read_file(rock);
    write_file(rock, audio + id3v1_tag("", "", "", 17));
    write_file(none, audio + id3v1_tag("", "", "", 255));
    write_file(named, audio + id3v1_tag("", "", "", 17));
    set_string_attr(named, "Audio:Genre", "Jazz");

    RunResult result =
        run_player(dir, "enable\nform\nnext\nform\nnext\nform\n", {rock, none, named});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.OutLines();
    EXPECT_EQ(form_answers(lines, 0)["genre"], "Rock");
    EXPECT_EQ(form_answers(lines, 1)["genre"], "unknown");
    EXPECT_EQ(form_answers(lines, 2)["genre"], "Jazz");
}

TEST(FormSave, UnknownGenreLeavesTheTagsGenreByte) {
    TempDir dir;
    std::string path = dir / "rock.mp3";
    make_mp3(path);
    write_file(path, read_file(path) + id3v1_tag("Old", "", "", 17));

    RunResult result = run_player(dir, "enable\npick genre unknown\nset title New\nsave\n", {path});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(getfattr_all(path)["user.haiku.Audio:Genre"], stored_string("unknown"));
    TagLibTag tag = taglib_id3v1(path);
    ASSERT_TRUE(tag.present);
    EXPECT_EQ(tag.title, "New");
    EXPECT_EQ(tag.genre, 17u);
}

TEST(FormLoad, SameFileTwiceInARowIsSavedOnceChangedAndLoadedOnce) {
    TempDir dir;
    std::string path = dir / "notes.txt";
    write_file(path, kPlainText);

    RunResult result = run_player(dir, "enable\nset title Typed\ncurrent\ncurrent\nform\n", {path});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.OutLines();
    std::vector<std::string> tail = after(lines, "Brindle - show");
    // The player's answer comes first: the window handles the message after it.
    const std::vector<std::string> expected = {
        "= current 0 " + path,
        "PluginWindow::Impl::playlistCurrent() called",
        // The typed title is saved, only the title: no tag for text.
        "Checking for id3 info",
        "Not an audio/x-mpeg file, is text/plain",
        "Not an audio/x-mpeg file, is text/plain",
        "playlist item path: " + path,
        // What was saved is the new baseline: nothing to save again.
        "= current 0 " + path,
        "PluginWindow::Impl::playlistCurrent() called",
        "playlist item path: " + path,
    };
    tail.resize(std::min(tail.size(), expected.size()));
    EXPECT_EQ(tail, expected) << result.out;
    EXPECT_EQ(count_lines(lines, "Switching files"), 1);
    // The typed title was saved, and not replaced by reloading the file.
    EXPECT_EQ(form_answers(lines)["title"], "Typed");
    EXPECT_EQ(
        getfattr_all(path),
        (std::map<std::string, std::string>{{"user.haiku.Audio:Title", stored_string("Typed")}}));
}
