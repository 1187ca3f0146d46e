// The person's own volume against what real players do with theirs: every one we tried
// caps Volume at 1.0; Cantata ignores a set above it and says nothing; Lollypop goes back
// to 1.0 at each change of track; JuK signals 0 at a change of track while a Get says
// otherwise, and keeps its volume in steps. Each is played by the fake player.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "FollowHarness.h"

namespace follow_test {
namespace {

// What a player's own rounding may take off a volume (JuK keeps hundredths of 0.99).
constexpr double kRounding = 0.011;

class FollowVolume : public testing::Test {
protected:
    bool FakeReaches(double volume) {
        return eventually(
            [&] { return std::fabs(player_volume(fBus, "fake") - volume) <= kRounding; });
    }

    TempDir fDir;
    SessionBus fBus;
};

TEST_F(FollowVolume, PersonsVolumeComesBackAfterAdjustmentsAcrossTracksAndWhenBrindleQuits) {
    const auto files = titled_mp3s(fDir, {"One", "Two", "Three"});
    // Vol. Adjust +2 on Two: Brindle asks for the person's volume + 0.5.
    addon_test::set_int32_attr(files[1], "Audio:VolumeAdjustment", 2);
    const std::vector<std::vector<std::string>> players = {
        {},                                        // caps at 1.0
        {"--ignore-above"},                        // as Cantata
        {"--reset-volume", "1.0"},                 // as Lollypop
        {"--false-volume", "0", "--steps", "99"},  // as JuK
    };
    for (const auto &behaviour : players) {
        SCOPED_TRACE(behaviour.empty() ? "caps" : behaviour[0]);
        std::vector<std::string> arguments = {"--volume", "0.8"};
        const auto urls = track_urls(files);
        arguments.insert(arguments.end(), urls.begin(), urls.end());
        arguments.insert(arguments.end(), behaviour.begin(), behaviour.end());
        FakePlayer fake(fBus, "fake", arguments);
        FollowingPlayer player(fDir, fBus, {{"--follow=fake"}});
        player.Ask("enable");
        ASSERT_TRUE(player.AskUntil("form", "= title One"));
        player.Ask("next");
        ASSERT_TRUE(player.AskUntil("form", "= title Two"));
        // What the add-on sees: no adjustment is 1.0, +2 steps of 0.25 on it.
        EXPECT_THAT(player.Ask("volume"), testing::ElementsAre("= volume 1.5"));
        player.Ask("next");
        ASSERT_TRUE(player.AskUntil("form", "= title Three"));
        EXPECT_TRUE(FakeReaches(0.8));

        // The person turns the player down; it counts once Brindle has read it back.
        playerctl(fBus, {"-p", "fake", "volume", "0.6"});
        ASSERT_TRUE(fake.WaitForLine("Set Volume 0.6"));
        ASSERT_TRUE(fake.WaitForLine("Get Volume"));
        player.Ask("prev");
        ASSERT_TRUE(player.AskUntil("form", "= title Two"));
        player.Ask("prev");
        ASSERT_TRUE(player.AskUntil("form", "= title One"));
        EXPECT_TRUE(FakeReaches(0.6));

        // Leaving while the adjustment is on gives the player the person's volume back.
        player.Ask("next");
        ASSERT_TRUE(player.AskUntil("form", "= title Two"));
        EXPECT_EQ(player.Quit().exitStatus, 0);
        EXPECT_TRUE(FakeReaches(0.6));
    }
}

}  // namespace
}  // namespace follow_test
