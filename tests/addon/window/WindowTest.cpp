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
    std::vector<std::string> lines = result.Lines();
    std::vector<std::string> head(lines.begin(),
                                  lines.begin() + std::min<size_t>(lines.size(), 21));
    EXPECT_EQ(head, (std::vector<std::string>{
                        "Brindle - get_plugin_list",
                        "Brindle - getplugin",
                        "PluginWindow constructor",
                        "PluginWindow::Impl::controlsAdded() called",
                        "Getting pointer to first play list",
                        "PluginWindow::Impl::playlistCurrent() called",
                        // The form is saved first, but a fresh window shows no file yet.
                        "Failed to init node",
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

TEST(Window, CloseAsksThePlayerToEndThePluginAndSavesNothing) {
    TempDir dir;
    std::string path = make_described_text_file(dir, "notes.txt");
    std::map<std::string, std::string> before = getfattr(path);
    // Edits that a close must not write; then the window is gone, so later playlist
    // changes reach nobody.
    RunResult result = run_player(dir,
                                  "enable\n"
                                  "set title Changed\n"
                                  "pick rating 9\n"
                                  "close\n"
                                  "current\n"
                                  "volume\n",
                                  {path});
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.Lines();
    ASSERT_GE(lines.size(), 5u);
    std::vector<std::string> tail(lines.end() - 5, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{
                        "PluginWindow::QuiteRequested",
                        "Brindle - destroyplugin",
                        "PluginWindow destructor",
                        "= current 0 " + path,
                        // The volume stays as last adjusted (1.0 + 2 steps of 0.25).
                        "= volume 1.5",
                    }))
        << result.out;
    EXPECT_EQ(getfattr(path), before);
    EXPECT_EQ(read_file(path), "plain text\n");
}

TEST(Window, GenrePickedMessageChangesOnlyTheMark) {
    TempDir dir;
    std::string path = make_described_text_file(dir, "notes.txt");
    std::map<std::string, std::string> before = getfattr(path);
    RunResult result = run_player(dir,
                                  "enable\n"
                                  "pick genre Jazz\n"
                                  "send 'AiNl'\n"
                                  "send 0x41694E6C\n"
                                  "form\n"
                                  "volume\n",
                                  {path});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.Lines();
    auto shown = std::find(lines.begin(), lines.end(), "Brindle - show");
    ASSERT_NE(shown, lines.end());
    // Nothing printed between showing the window and the form's answers.
    ASSERT_LT(shown + 1, lines.end());
    EXPECT_EQ(*(shown + 1), "= title Morning") << result.out;
    EXPECT_EQ(form_answers(lines)["genre"], "Jazz");
    EXPECT_EQ(count_lines(lines, "= volume 1.5"), 1);
    EXPECT_EQ(getfattr(path), before);
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
    std::vector<std::string> lines = result.Lines();
    auto shown = std::find(lines.begin(), lines.end(), "Brindle - show");
    ASSERT_LT(shown + 1, lines.end());
    EXPECT_EQ(*(shown + 1), "= title Morning") << result.out;
}
