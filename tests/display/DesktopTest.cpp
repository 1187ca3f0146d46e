// The drawn player under a real X server with a real window manager (Xvfb and openbox),
// used as a person uses it: keys typed and clicks made with xdotool, the windows read
// with xwininfo, the files with getfattr, what a screen reader gets with pyatspi. The
// offscreen tests never map a window, so only these see what a window manager does to it.
#include <gtest/gtest.h>

#include <algorithm>

#include "AddonHarness.h"
#include "Desktop.h"
#include "Polling.h"

namespace {

using addon_test::TempDir;
using desktop_test::click_into;
using desktop_test::Desktop;
using desktop_test::drawn_player;
using desktop_test::open_brindle;
using desktop_test::WindowState;
using test_support::eventually;
using test_support::required;

class DesktopWindow : public testing::Test {
protected:
    // Untitled MP3 files, `count` of them.
    std::vector<std::string> Songs(int count) {
        std::vector<std::string> files;
        for (int i = 0; i < count; i++) {
            files.push_back(fDir / ("song" + std::to_string(i) + ".mp3"));
            addon_test::make_mp3(files.back());
        }
        return files;
    }

    TempDir fDir;
    Desktop fDesktop;
};

TEST_F(DesktopWindow, FortyKeysTypedOneByOneIntoTitleAllReachItAndTheWindowStaysUp) {
    const std::vector<std::string> files = Songs(3);
    auto player = drawn_player(fDesktop, fDir, files);
    const std::string window = open_brindle(fDesktop, *player);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(click_into(fDesktop, *player, window, "Title:"));

    const std::string text = "Typed one key at a time into Title, ok!!";
    ASSERT_EQ(text.size(), 40u);
    std::string typed;
    for (char key : text) {
        typed += key;
        fDesktop.Type(std::string(1, key));
        const std::string wanted = "= text Title: " + typed;
        eventually([&] {
            return !fDesktop.Inspect(window).viewable ||
                   player->AskFor("widget-state", "= text Title:") == wanted;
        });
        ASSERT_TRUE(fDesktop.Inspect(window).viewable)
            << "unmapped after " << typed.size() << " keys";
        ASSERT_EQ(player->AskFor("widget-state", "= text Title:"), wanted);
    }
    EXPECT_EQ(player->AskFor("form", "= title "), "= title " + text);
    // Typing saves nothing: the file keeps no title until a save.
    EXPECT_EQ(test_support::getfattr_all(files[0]).count("user.haiku.Audio:Title"), 0u);
    EXPECT_EQ(player->Quit().exitStatus, 0);
}

TEST_F(DesktopWindow, OpensBesideThePlayerAndThreeClosesAndReopensLeaveItWhereItWas) {
    auto player = drawn_player(fDesktop, fDir, Songs(1));
    std::string window = open_brindle(fDesktop, *player);
    ASSERT_FALSE(window.empty());
    const WindowState first = fDesktop.Inspect(window);
    const WindowState owner = fDesktop.Inspect(fDesktop.WaitForWindow("Brindle Player"));
    // The first time: right of the player's window, level with it, not over it.
    EXPECT_GT(first.x, owner.x + owner.width);
    EXPECT_EQ(first.y, owner.y);

    const std::string frames = addon_test::config_dir(fDir) + "/brindle-player/frames";
    // What is kept is the window's own corner, inside the decoration, as it is given back.
    const std::string kept =
        "sp-brindle " + std::to_string(first.x) + " " + std::to_string(first.y) + " ";
    for (int cycle = 1; cycle <= 3; cycle++) {
        fDesktop.Activate(window);
        fDesktop.Key("ctrl+w");
        ASSERT_TRUE(eventually([&] { return fDesktop.FindWindow("Brindle").empty(); }))
            << "cycle " << cycle;
        EXPECT_EQ(addon_test::read_file(frames).rfind(kept, 0), 0u) << "cycle " << cycle;
        window = open_brindle(fDesktop, *player);
        ASSERT_FALSE(window.empty()) << "cycle " << cycle;
        const WindowState again = fDesktop.Inspect(window);
        EXPECT_EQ(std::vector<int>({again.x, again.y, again.width, again.height}),
                  std::vector<int>({first.x, first.y, first.width, first.height}))
            << "cycle " << cycle;
    }
    EXPECT_EQ(player->Quit().exitStatus, 0);
}

TEST_F(DesktopWindow, EscapeTakesBackUnsavedEditsAndWithNoneClosesTheWindow) {
    const std::vector<std::string> files = Songs(1);
    auto player = drawn_player(fDesktop, fDir, files);
    const std::string window = open_brindle(fDesktop, *player);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(click_into(fDesktop, *player, window, "Album:"));
    fDesktop.Type("Alb");
    ASSERT_TRUE(player->AskUntil("form", "= album Alb"));
    // A Vol. Adjust picked meanwhile has moved the volume at once.
    player->Ask("widget-pick volume 2");
    ASSERT_EQ(player->AskFor("volume", "= volume "), "= volume 1.5");

    // With edits: every field goes back, the volume too, and the window stays.
    fDesktop.Key("Escape");
    EXPECT_TRUE(player->AskUntil("status", "= status song0.mp3 \u2014 edits undone"));
    auto form = addon_test::form_answers(player->Ask("form"));
    EXPECT_EQ(form["album"], "");
    EXPECT_EQ(form["volume"], "0");
    EXPECT_EQ(player->AskFor("volume", "= volume "), "= volume 1");
    EXPECT_TRUE(fDesktop.Inspect(window).viewable);

    // With none: it closes as its close box does.
    fDesktop.Key("Escape");
    EXPECT_TRUE(eventually([&] { return fDesktop.FindWindow("Brindle").empty(); }));
    const addon_test::RunResult result = player->Quit();
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(addon_test::count_lines(result.OutLines(), "PluginWindow::QuiteRequested"), 1);
    EXPECT_EQ(addon_test::count_lines(result.OutLines(), "Brindle - destroyplugin"), 1);
    // Nothing was ever saved.
    EXPECT_TRUE(test_support::getfattr_all(files[0]).empty());
}

TEST_F(DesktopWindow, AScreenReaderHearsEveryControlByItsLabelAndTheNewStatusWithItsPath) {
    // The reader (pyatspi) runs the player and presses Save through it; both share a
    // session bus of their own, where the accessibility bus starts on demand.
    const std::vector<std::string> files = Songs(1);
    test_support::ChildProcess reader(
        {required("dbus-run-session"), "--", "/usr/bin/python3",
         std::string(BRINDLE_SOURCE_DIR) + "/tests/display/atspi_reader.py",
         addon_test::player_path(), "--add-on", addon_test::addon_path(), "--script", "-",
         files[0]},
        addon_test::drawn_options(fDir, fDesktop.Options().env));
    const addon_test::RunResult result = reader.Finish();
    EXPECT_EQ(result.exitStatus, 0) << result.out << result.err;
    const std::vector<std::string> lines = result.OutLines();
    // ROLE|NAME|DESCRIPTION|LABELLED-BY; a pop-up's name is its chosen item.
    for (const std::string &expected : std::vector<std::string>{
             "control text|Title||Title:",
             "control text|Album||Album:",
             "control text|Artist||Artist:",
             "control combo box|unknown||Genre:",
             "control combo box|1|How much you like this file, from 1 to 10|Rating:",
             "control combo box|0|Loudness correction for this file, from -4 to 4: each step "
             "moves the playlist's volume by 0.25|Vol. Adjust:",
             "control push button|Save|Writes the fields to the file now; moving to another "
             "file or closing the window saves them too",
             "control list|Playlist|The player's first playlist, its current file selected; "
             "double-click a file to make it current",
             "control slider|Volume|The playlist's volume in percent, from 0 to 200|Volume:",
             // Its description is its tooltip: the file's full path.
             "name-change label|song0.mp3 \u2014 saved|" + files[0],
         })
        EXPECT_TRUE(std::find(lines.begin(), lines.end(), expected) != lines.end()) << expected;
}

}  // namespace
