// The player following mpv (with the mpv-mpris plugin), moved by playerctl.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FollowHarness.h"

namespace follow_test {
namespace {

using addon_test::stored_string;
using test_support::getfattr_all;
using testing::HasSubstr;

class FollowMpv : public testing::Test {
protected:
    TempDir fDir;
    SessionBus fBus;
};

TEST_F(FollowMpv, FormFollowsThePlayersNextAndPrevious) {
    const auto files = titled_mp3s(fDir, {"One", "Two"});
    Mpv mpv(fBus, files);
    FollowingPlayer player(fDir, fBus, {{"--follow"}});  // any player: the only one there
    player.Ask("enable");
    ASSERT_TRUE(player.AskUntil("form", "= title One"));
    playerctl(fBus, {"-p", "mpv", "next"});
    EXPECT_TRUE(player.AskUntil("form", "= title Two"));
    playerctl(fBus, {"-p", "mpv", "previous"});
    EXPECT_TRUE(player.AskUntil("form", "= title One"));
    const RunResult result = player.Quit();
    EXPECT_EQ(result.exitStatus, 0) << result.err;
}

TEST_F(FollowMpv, NextAndPrevCommandsMoveThePlayer) {
    const auto files = titled_mp3s(fDir, {"One", "Two"});
    Mpv mpv(fBus, files);
    FollowingPlayer player(fDir, fBus, {{"--follow", "mpv"}});
    player.Ask("enable");
    ASSERT_TRUE(player.AskUntil("form", "= title One"));
    player.Ask("next");
    EXPECT_TRUE(player.AskUntil("form", "= title Two"));
    EXPECT_THAT(playerctl(fBus, {"-p", "mpv", "metadata", "xesam:url"}),
                testing::EndsWith("/Two%20song.mp3"));
    player.Ask("prev");
    EXPECT_TRUE(player.AskUntil("form", "= title One"));
    EXPECT_EQ(player.Quit().exitStatus, 0);
}

TEST_F(FollowMpv, PlayerWindowShowsTheTrackAndItsButtonsMoveThePlayer) {
    const auto files = titled_mp3s(fDir, {"One", "Two"});
    Mpv mpv(fBus, files);
    FollowingPlayer player(fDir, fBus, {{"--follow=mpv"}, false, true});  // windows drawn
    player.Ask("enable");
    ASSERT_TRUE(player.AskUntil("form", "= title One"));
    player.Ask("widget-next");
    EXPECT_TRUE(player.AskUntil("form", "= title Two"));
    EXPECT_THAT(playerctl(fBus, {"-p", "mpv", "metadata", "xesam:url"}),
                testing::EndsWith("/Two%20song.mp3"));
    // The window lists the followed track alone (mpv has no track list), as current.
    EXPECT_TRUE(player.AskUntil("widget-state", "= playlist 1 0"));
    player.Ask("widget-prev");
    EXPECT_TRUE(player.AskUntil("form", "= title One"));
    EXPECT_EQ(player.Quit().exitStatus, 0);
}

TEST_F(FollowMpv, FieldEditedThenNextIsSavedIntoTheFileItWasMadeOn) {
    const auto files = titled_mp3s(fDir, {"One", "Two"});
    Mpv mpv(fBus, files);
    FollowingPlayer player(fDir, fBus, {{"--follow=mpv"}});
    player.Ask("enable");
    ASSERT_TRUE(player.AskUntil("form", "= title One"));
    player.Ask("set title Edited");
    playerctl(fBus, {"-p", "mpv", "next"});
    ASSERT_TRUE(player.AskUntil("form", "= title Two"));
    EXPECT_EQ(getfattr_all(files[0])["user.haiku.Audio:Title"], stored_string("Edited"));
    EXPECT_EQ(addon_test::taglib_id3v1(files[0]).title, "Edited");
    EXPECT_EQ(getfattr_all(files[1])["user.haiku.Audio:Title"], stored_string("Two"));
    EXPECT_EQ(player.Quit().exitStatus, 0);
}

TEST_F(FollowMpv, VolumeAdjustIsAddedToThePersonsVolumeAndTakenOffAgain) {
    const auto files = titled_mp3s(fDir, {"One", "Two", "Three"});
    addon_test::set_int32_attr(files[1], "Audio:VolumeAdjustment", 2);
    Mpv mpv(fBus, files, {"--volume=70"});
    FollowingPlayer player(fDir, fBus, {{"--follow=mpv"}});
    player.Ask("enable");
    ASSERT_TRUE(player.AskUntil("form", "= title One"));
    // mpv takes up to 1.3: +2 steps of 0.25 on the person's 0.7.
    playerctl(fBus, {"-p", "mpv", "next"});
    EXPECT_TRUE(eventually([&] { return playerctl(fBus, {"-p", "mpv", "volume"}) == "1.200000"; }));
    // The playlist's volume is the adjustment alone.
    EXPECT_THAT(player.Ask("volume"), testing::ElementsAre("= volume 1.5"));
    playerctl(fBus, {"-p", "mpv", "next"});
    EXPECT_TRUE(player.AskUntil("form", "= title Three"));
    EXPECT_TRUE(eventually([&] { return playerctl(fBus, {"-p", "mpv", "volume"}) == "0.700000"; }));
    EXPECT_EQ(player.Quit().exitStatus, 0);
}

TEST_F(FollowMpv, StreamIsNoCurrentItem) {
    const auto files = titled_mp3s(fDir, {"One"});
    Mpv mpv(fBus, {files[0], "av://lavfi:sine=frequency=440"});
    FollowingPlayer player(fDir, fBus, {{"--follow=mpv"}});
    player.Ask("enable");
    ASSERT_TRUE(player.AskUntil("form", "= title One"));
    EXPECT_THAT(player.Ask("current"), testing::Contains("= current 0 " + files[0]));
    playerctl(fBus, {"-p", "mpv", "next"});
    EXPECT_TRUE(player.AskUntil("current", "= current none"));
    EXPECT_EQ(player.Quit().exitStatus, 0);
}

TEST_F(FollowMpv, WaitsForThePlayerAndFollowsItThroughQuitAndRestart) {
    const auto files = titled_mp3s(fDir, {"One", "Two"});
    FollowingPlayer player(fDir, fBus, {{"--follow=mpv"}});
    player.Ask("enable");
    // Nothing to follow yet: commands are answered all the same.
    EXPECT_THAT(player.Ask("form"), testing::Contains("= title "));
    auto first = std::make_unique<Mpv>(fBus, std::vector<std::string>{files[0]});
    ASSERT_TRUE(player.AskUntil("form", "= title One"));

    const auto attributes = getfattr_all(files[0]);
    const std::string bytes = test_support::read_file(files[0]);
    first->Quit();
    EXPECT_TRUE(player.WaitForLine("PluginWindow::Impl::playlistLostControls() called"));
    EXPECT_EQ(getfattr_all(files[0]), attributes);
    EXPECT_EQ(test_support::read_file(files[0]), bytes);

    Mpv second(fBus, {files[1]});
    EXPECT_TRUE(player.AskUntil("form", "= title Two"));
    const RunResult result = player.Quit();
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_THAT(result.err, HasSubstr("brindle-player: follow: no MPRIS player \"mpv\" on the "
                                      "session bus yet; waiting for it\n"));
}

TEST_F(FollowMpv, HandChangesToTheFollowedPlaylistAreRefused) {
    const auto files = titled_mp3s(fDir, {"One", "Two"});
    Mpv mpv(fBus, files);
    FollowingPlayer player(fDir, fBus, {{"--follow=mpv"}, true});  // typed: errors go on
    ASSERT_TRUE(player.AskUntil("form", "= title One"));
    player.Ask("add " + files[1]);
    player.Ask("close-playlist 0");
    player.Ask("goto 1");
    EXPECT_TRUE(player.AskUntil("current", "= current 0 " + files[0]));
    const RunResult result = player.Quit();
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_THAT(result.err, HasSubstr(": add: playlist 0 follows a player (--follow): add the "
                                      "file in that player\n"));
    EXPECT_THAT(result.err, HasSubstr(": close-playlist: playlist 0 follows a player (--follow): "
                                      "it closes when that player quits\n"));
    EXPECT_THAT(result.err, HasSubstr(": goto: the followed player has no track list: use next "
                                      "and prev\n"));
}

}  // namespace
}  // namespace follow_test
