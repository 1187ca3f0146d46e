// Following mpv with the windows drawn on a real desktop (Xvfb and openbox): the Brindle
// window stays up while the followed player quits and comes back, and both status lines
// say what is going on.
#include <gtest/gtest.h>

#include "Desktop.h"
#include "FollowHarness.h"

namespace follow_test {
namespace {

using desktop_test::Desktop;

TEST(FollowDesktop, WindowStaysUpWhileMpvQuitsAndComesBackAndTheStatusLinesSaySo) {
    TempDir dir;
    SessionBus bus;
    Desktop desktop;
    const auto files = titled_mp3s(dir, {"One"});
    PlayerRun run({"--follow=mpv"});
    run.display = desktop.Options().env;
    FollowingPlayer player(dir, bus, run);
    EXPECT_TRUE(player.AskUntil("widget-state", "= statusbar waiting for mpv"));
    const std::string window = desktop_test::open_brindle(desktop, player);
    ASSERT_FALSE(window.empty());
    EXPECT_EQ(player.AskFor("status", "= status "), "= status no player");

    const std::string shown = "= status One song.mp3";
    auto mpv = std::make_unique<Mpv>(bus, files);
    ASSERT_TRUE(player.AskUntil("status", shown));
    EXPECT_TRUE(player.AskUntil("widget-state", "= statusbar following mpv"));

    mpv->Quit();
    EXPECT_TRUE(player.AskUntil("status", shown + " \u2014 the player has gone"));
    EXPECT_TRUE(player.AskUntil("widget-state", "= statusbar mpv has quit"));
    EXPECT_EQ(player.AskFor("form", "= title "), "= title One");
    EXPECT_TRUE(desktop.Inspect(window).viewable);

    // Back again: the same window, never re-made, attaches to it.
    mpv = std::make_unique<Mpv>(bus, files);
    EXPECT_TRUE(player.AskUntil("status", shown));
    EXPECT_TRUE(player.AskUntil("widget-state", "= statusbar following mpv"));
    EXPECT_TRUE(desktop.Inspect(window).viewable);
    EXPECT_EQ(desktop.FindWindow("Brindle"), window);
    EXPECT_EQ(player.Quit().exitStatus, 0);
}

}  // namespace
}  // namespace follow_test
