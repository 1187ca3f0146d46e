// The drawn player under a real X server with a real window manager (Xvfb and openbox),
// used as a person uses it: keys typed and clicks made with xdotool, the windows read
// with xwininfo, the files with getfattr. The offscreen tests never map a window, so
// only these see what a window manager does to it.
#include <gtest/gtest.h>

#include "AddonHarness.h"
#include "Desktop.h"
#include "Polling.h"

namespace {

using addon_test::TempDir;
using desktop_test::Desktop;
using desktop_test::drawn_player;
using test_support::eventually;

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
    player->Ask("enable");
    const std::string window = fDesktop.WaitForWindow("Brindle");
    ASSERT_FALSE(window.empty());
    int x, y, width, height;
    ASSERT_TRUE(desktop_test::widget_geometry(*player, "Title:", &x, &y, &width, &height));
    fDesktop.Click(window, x + width / 2, y + height / 2);

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
        ASSERT_TRUE(fDesktop.Inspect(window).viewable) << "unmapped after " << typed.size()
                                                       << " keys";
        ASSERT_EQ(player->AskFor("widget-state", "= text Title:"), wanted);
    }
    EXPECT_EQ(player->AskFor("form", "= title "), "= title " + text);
    // Typing saves nothing: the file keeps no title until a save.
    EXPECT_EQ(addon_test::getfattr(files[0]).count("user.haiku.Audio:Title"), 0u);
    EXPECT_EQ(player->Quit().exitStatus, 0);
}

}  // namespace
