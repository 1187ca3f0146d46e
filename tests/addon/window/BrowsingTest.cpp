// Playing a file never changes it: moving past files writes nothing, however their values
// are stored, and Save replaces no stored value the form cannot show unless it was edited.
#include <gtest/gtest.h>

#include "AddonHarness.h"

using namespace addon_test;

namespace {

// An MPEG file with a tag and values the form cannot show exactly: a genre the menu
// lacks, a 300-byte artist, a title with an inner NUL, a rating stored as text.
std::string make_odd_file(const TempDir &dir, const std::string &name) {
    std::string path = dir / name;
    make_mp3(path);
    write_file(path, read_file(path) + id3v1_tag("Tag Title", "Tag Artist", "", 17));
    set_string_attr(path, "Audio:Genre", "Shoegaze");
    set_string_attr(path, "Audio:Artist", std::string(300, 'a'));
    EXPECT_TRUE(
        test_support::setfattr(path, "user.haiku.Audio:Title",
                               test_support::typed_value('CSTR', std::string("In\0side", 8))));
    EXPECT_TRUE(test_support::setfattr(path, "user.haiku.Audio:Rating",
                                       test_support::typed_value('CSTR', std::string("7\0", 2))));
    return path;
}

}  // namespace

TEST(Browsing, MovingPastFilesChangesNoByteAttributeOrTime) {
    TempDir dir;
    std::string odd = make_odd_file(dir, "odd.mp3");
    std::string untagged = dir / "untagged.mp3";
    make_mp3(untagged);
    std::string plain = dir / "plain.txt";
    write_file(plain, "plain text\n");
    const std::vector<std::string> files = {odd, untagged, plain};
    std::vector<FileState> before;
    for (const std::string &path : files)
        before.push_back(file_state(path));

    // There and back, with the window closed and opened again on the way.
    RunResult result = run_player(dir, "enable\nnext\nnext\nclose\nprev\nenable\nprev\n", files);
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    for (size_t i = 0; i < files.size(); i++)
        EXPECT_EQ(file_state(files[i]), before[i]) << files[i];
    // Not even opened for writing: no save's line at all.
    std::vector<std::string> lines = result.OutLines();
    EXPECT_EQ(count_lines(lines, "Failed to init node"), 0) << result.out;
    EXPECT_EQ(count_lines(lines, "Saving id3 info"), 0);
    EXPECT_EQ(count_lines(lines, "Added id3 info"), 0);
}

TEST(Browsing, SaveKeepsStoredValuesTheFormCannotShowUnlessEdited) {
    TempDir dir;
    std::string odd = make_odd_file(dir, "odd.mp3");
    std::map<std::string, std::string> before = getfattr_all(odd);

    RunResult result = run_player(dir, "enable\nform\nset album Typed\nsave\n", {odd});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::map<std::string, std::string> shown = form_answers(result.OutLines());
    EXPECT_EQ(shown["title"], "In");
    EXPECT_EQ(shown["genre"], "Rock");  // "Shoegaze" is not in the menu: the tag's genre
    EXPECT_EQ(shown["rating"], "10");

    // Album was edited; Vol. Adjust was missing, so it is written as shown; the rest keep
    // what was stored.
    std::map<std::string, std::string> expected = before;
    expected["user.haiku.Audio:Album"] = stored_string("Typed");
    expected["user.haiku.Audio:VolumeAdjustment"] = stored_int32(0);
    EXPECT_EQ(getfattr_all(odd), expected);
    // The tag mirrors the edited Album only.
    EXPECT_EQ(read_file(odd).substr(file_size(odd) - 128),
              id3v1_tag("Tag Title", "Tag Artist", "Typed", 17));
}
