// --follow with no name follows the player that is playing: two real mpv on one bus (the
// second is "mpv.instanceN"), moved with playerctl, and a player publishing no file, as a
// web browser does.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FollowHarness.h"

namespace follow_test {
namespace {

using addon_test::stored_string;
using test_support::getfattr_all;

class FollowPlaying : public testing::Test {
protected:
    // An mpv that keeps playing its file, and its name on the bus once it is there.
    std::string StartMpv(const std::string &file) {
        const size_t before = playerctl(fBus, {"-l"}).size();
        fMpvs.push_back(std::make_unique<Mpv>(fBus, std::vector<std::string>{file},
                                              std::vector<std::string>{"--loop-file=inf"}));
        std::string name;
        EXPECT_TRUE(eventually([&] {
            const std::string list = playerctl(fBus, {"-l"});
            if (list.size() <= before)
                return false;
            const auto names = test_support::split_lines(list);
            name = names.empty() ? std::string() : names.back();
            return true;
        }));
        return name;
    }

    TempDir fDir;
    SessionBus fBus;
    std::vector<std::unique_ptr<Mpv>> fMpvs;
};

TEST_F(FollowPlaying, FollowsTheOneThatStartsPlayingAndSavesTheFormFirst) {
    const auto files = titled_mp3s(fDir, {"One", "Two"});
    const std::string first = StartMpv(files[0]);
    const std::string second = StartMpv(files[1]);
    ASSERT_EQ(first, "mpv");
    ASSERT_THAT(second, testing::StartsWith("mpv.instance"));
    playerctl(fBus, {"--player=" + second, "play"});
    FollowingPlayer player(fDir, fBus, {{"--follow"}, false, true});  // windows drawn
    player.Ask("enable");
    ASSERT_TRUE(player.AskUntil("form", "= title Two"));
    EXPECT_TRUE(player.AskUntil("widget-state", "= statusbar following mpv"));
    player.Ask("set title Edited");

    playerctl(fBus, {"--player=" + first, "play"});
    playerctl(fBus, {"--player=" + second, "pause"});
    EXPECT_TRUE(player.AskUntil("form", "= title One"));
    EXPECT_THAT(player.Ask("current"), testing::Contains("= current 0 " + files[0]));
    EXPECT_EQ(getfattr_all(files[1])["user.haiku.Audio:Title"], stored_string("Edited"));
    EXPECT_EQ(getfattr_all(files[0])["user.haiku.Audio:Title"], stored_string("One"));
    // The one followed quits: the one that played last takes its place.
    fMpvs[0]->Quit();
    EXPECT_TRUE(player.AskUntil("form", "= title Edited"));
    EXPECT_TRUE(player.AskUntil("widget-state", "= statusbar following mpv"));
    EXPECT_EQ(player.Quit().exitStatus, 0);
}

TEST_F(FollowPlaying, NamedPlayerCountsItsSecondCopyAndNoOtherPlayer) {
    const auto files = titled_mp3s(fDir, {"One", "Two", "Three"});
    StartMpv(files[0]);
    const std::string second = StartMpv(files[1]);
    playerctl(fBus, {"--player=" + second, "play"});
    // Another program, playing a file, started last.
    FakePlayer other(fBus, "vlc", {"--status", "Playing", "--url", "file://" + files[2]});
    FollowingPlayer player(fDir, fBus, {{"--follow=mpv"}});
    player.Ask("enable");
    EXPECT_TRUE(player.AskUntil("form", "= title Two"));
    EXPECT_EQ(player.Quit().exitStatus, 0);
}

TEST_F(FollowPlaying, PlayerWithNoFileNeverTakesTheWindowWhileMusicPlays) {
    const auto files = titled_mp3s(fDir, {"One", "Two"});
    // A web browser with a video: no xesam:url; first in name order.
    FakePlayer browser(fBus, "firefox", {});
    fMpvs.push_back(std::make_unique<Mpv>(fBus, files, std::vector<std::string>{"--loop=inf"}));
    // Told to play once it is on the bus.
    ASSERT_TRUE(eventually([&] {
        playerctl(fBus, {"--player=mpv", "play"});
        return playerctl(fBus, {"--player=mpv", "status"}) == "Playing";
    }));
    FollowingPlayer player(fDir, fBus, {{"--follow"}});
    player.Ask("enable");
    ASSERT_TRUE(player.AskUntil("form", "= title One"));
    // It starts playing after the music did.
    playerctl(fBus, {"--player=firefox", "play"});
    ASSERT_TRUE(browser.WaitForLine("Playing"));
    playerctl(fBus, {"--player=mpv", "next"});
    EXPECT_TRUE(player.AskUntil("form", "= title Two"));
    EXPECT_THAT(player.Ask("current"), testing::Contains("= current 0 " + files[1]));
    EXPECT_EQ(player.Quit().exitStatus, 0);
}

TEST_F(FollowPlaying, PlayerThatNeverAnswersHoldsUpNeitherTheChoiceNorQuit) {
    const auto files = titled_mp3s(fDir, {"One"});
    FakePlayer silent(fBus, "silent", {"--never-answer"});
    FollowingPlayer player(fDir, fBus, {{"--follow"}, false, true});  // windows drawn
    player.Ask("enable");
    ASSERT_TRUE(silent.WaitForLine("GetAll unanswered"));
    EXPECT_TRUE(player.AskUntil("widget-state", "= statusbar waiting for a player"));
    FakePlayer playing(fBus, "playing", {"--status", "Playing", "--url", "file://" + files[0]});
    EXPECT_TRUE(player.AskUntil("form", "= title One"));
    const RunResult result = player.Quit();
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0);
    // Followed while the silent one's call was still waiting for its answer, not once the
    // call ran out: that would have been said first.
    EXPECT_THAT(result.err, testing::Not(testing::HasSubstr("silent does not say")));
}

}  // namespace
}  // namespace follow_test
