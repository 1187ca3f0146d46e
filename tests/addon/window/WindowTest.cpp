// The window as a whole: what a close does, what it leaves alone, messages it ignores.
#include <gtest/gtest.h>

#include "AddonHarness.h"

using namespace addon_test;

namespace {

// A text file carrying every attribute of the form.
std::string make_described_text_file(const TempDir &dir, const std::string &name) {
    std::string path = dir / name;
    write_file(path, "plain text\n");
    set_string_attr(path, "Audio:Title", "Morning");
    set_string_attr(path, "Audio:Album", "Days");
    set_string_attr(path, "Audio:Artist", "Nobody");
    set_string_attr(path, "Audio:Genre", "Rock");
    set_int32_attr(path, "Audio:Rating", 3);
    set_int32_attr(path, "Audio:VolumeAdjustment", 2);
    return path;
}

}  // namespace

TEST(Window, ConstructionLoadsTheCurrentFileOnThePlayersThread) {
    TempDir dir;
    std::string path = make_described_text_file(dir, "notes.txt");
    RunResult result = run_player(dir, "enable\nform\n", {path});
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.OutLines();
    std::vector<std::string> head(lines.begin(),
                                  lines.begin() + std::min<size_t>(lines.size(), 20));
    EXPECT_EQ(head, (std::vector<std::string>{
                        "Brindle - get_plugin_list",
                        "Brindle - getplugin",
                        "PluginWindow constructor",
                        "PluginWindow::Impl::controlsAdded() called",
                        "Getting pointer to first play list",
                        "PluginWindow::Impl::playlistCurrent() called",
                        // A fresh form has nothing changed, so nothing is saved.
                        "playlist item path: " + path,
                        "Switching files",
                        "Setting Audio:Album: Days",
                        "Setting Audio:Artist: Nobody",
                        "Setting Audio:Genre: Rock",
                        "Getting genre id...done - 118",
                        "Setting genre popup...done",
                        "Setting Audio:Title: Morning",
                        "Checking for id3 info",
                        "Not an audio/x-mpeg file, is text/plain",
                        "Volume adjusted from: 0 to 2",
                        "changing vol from 1.000000 to 1.500000",
                        "Brindle - show",
                        "= title Morning",
                    }))
        << result.out;
    EXPECT_EQ(form_answers(lines), (std::map<std::string, std::string>{{"title", "Morning"},
                                                                       {"album", "Days"},
                                                                       {"artist", "Nobody"},
                                                                       {"genre", "Rock"},
                                                                       {"rating", "3"},
                                                                       {"volume", "2"}}));
}

TEST(Window, CloseSavesTheEditsAndGivesTheVolumeBack) {
    TempDir dir;
    std::string path = make_described_text_file(dir, "notes.txt");
    std::map<std::string, std::string> before = getfattr_all(path);
    // Edits typed and not saved; then the window is gone, so later playlist changes reach
    // nobody.
    RunResult result = run_player(dir,
                                  "enable\n"
                                  "set title Changed\n"
                                  "pick rating 9\n"
                                  "set album Days\n"
                                  "close\n"
                                  "current\n"
                                  "volume\n",
                                  {path});
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.OutLines();
    ASSERT_GE(lines.size(), 9u);
    std::vector<std::string> tail(lines.end() - 9, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{
                        "PluginWindow::QuiteRequested",
                        "Brindle - destroyplugin",
                        "PluginWindow destructor",
                        // Title and Rating changed; Album was typed back as it was.
                        "Checking for id3 info",
                        "Not an audio/x-mpeg file, is text/plain",
                        "Not an audio/x-mpeg file, is text/plain",
                        // The window's +2 steps go back: 1.5 to 1.0.
                        "changing vol from 1.500000 to 1.000000",
                        "= current 0 " + path,
                        "= volume 1",
                    }))
        << result.out;
    std::map<std::string, std::string> expected = before;
    expected["user.haiku.Audio:Title"] = stored_string("Changed");
    expected["user.haiku.Audio:Rating"] = stored_int32(9);
    expected["user.baloo.rating"] = "9";
    EXPECT_EQ(getfattr_all(path), expected);
    EXPECT_EQ(read_file(path), "plain text\n");
}

TEST(Window, GenrePickedMessageChangesOnlyTheMark) {
    TempDir dir;
    std::string path = make_described_text_file(dir, "notes.txt");
    std::map<std::string, std::string> before = getfattr_all(path);
    RunResult result = run_player(dir,
                                  "enable\n"
                                  "pick genre Jazz\n"
                                  "send 'AiNl'\n"
                                  "send 0x41694E6C\n"
                                  "form\n"
                                  "volume\n",
                                  {path});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.OutLines();
    auto shown = std::find(lines.begin(), lines.end(), "Brindle - show");
    ASSERT_NE(shown, lines.end());
    // Nothing printed between showing the window and the form's answers.
    ASSERT_LT(shown + 1, lines.end());
    EXPECT_EQ(*(shown + 1), "= title Morning") << result.out;
    EXPECT_EQ(form_answers(lines)["genre"], "Jazz");
    EXPECT_EQ(count_lines(lines, "= volume 1.5"), 1);
    // The pick is an edit like any other: quitting saves it.
    before["user.haiku.Audio:Genre"] = stored_string("Jazz");
    EXPECT_EQ(getfattr_all(path), before);
}

TEST(Window, UnknownMessagesAreDropped) {
    TempDir dir;
    std::string path = make_described_text_file(dir, "notes.txt");
    RunResult result = run_player(dir,
                                  "enable\n"
                                  "send 'zzzz'\n"
                                  "send 0x63740002\n"  // controls removed: does nothing
                                  "form\n",
                                  {path});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.OutLines();
    auto shown = std::find(lines.begin(), lines.end(), "Brindle - show");
    ASSERT_LT(shown + 1, lines.end());
    EXPECT_EQ(*(shown + 1), "= title Morning") << result.out;
}
