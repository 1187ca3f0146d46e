// Following Audacious, a real player that runs with no display (audacious --headless) and
// caps its Volume at 1.0, playing through a PulseAudio null sink of the test's own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "AudioFiles.h"
#include "FollowHarness.h"

namespace follow_test {
namespace {

// Audacious keeps its volume in hundredths.
constexpr double kRounding = 0.006;
// Long enough that no track ends, and Audacious moves on by itself, while the test runs.
constexpr double kTrackSeconds = 600;

class FollowAudacious : public testing::Test {
protected:
    void SetUp() override {
        if (installed("audacious").empty())
            GTEST_SKIP() << "audacious is not installed (scripts/install-deps installs it)";
    }

    // A silent track made by `format`'s own encoder, titled `title` in its attributes.
    std::string Track(const std::string &title, const std::string &format) {
        const std::string path = fDir / (title + " song." + format);
        if (!test_support::encode_audio(test_support::sine_wav(kTrackSeconds, 8000, 0), path,
                                        format))
            throw std::runtime_error("the " + format + " encoder failed");
        addon_test::set_string_attr(path, "Audio:Title", title);
        return path;
    }

    bool AudaciousReaches(double volume) {
        return eventually(
            [&] { return std::fabs(player_volume(fBus, "audacious") - volume) <= kRounding; });
    }

    TempDir fDir;
    TempDir fHome;
    SessionBus fBus;
};

TEST_F(FollowAudacious, FollowsItsTrackAndGivesThePersonsVolumeBackUnderItsCap) {
    const std::vector<std::string> files = {Track("One", "flac"), Track("Two", "ogg")};
    // Vol. Adjust +2 on Two: Brindle asks for the person's volume + 0.5, above the cap.
    addon_test::set_int32_attr(files[1], "Audio:VolumeAdjustment", 2);
    Audacious audacious(fBus, fHome, files);
    playerctl(fBus, {"-p", "audacious", "volume", "0.8"});
    ASSERT_TRUE(AudaciousReaches(0.8));
    FollowingPlayer player(fDir, fBus, {{"--follow=audacious"}});
    player.Ask("enable");
    ASSERT_TRUE(player.AskUntil("form", "= title One"));
    EXPECT_THAT(player.Ask("current"), testing::Contains("= current 0 " + files[0]));

    player.Ask("next");
    ASSERT_TRUE(player.AskUntil("current", "= current 0 " + files[1]));
    EXPECT_TRUE(AudaciousReaches(1.0));
    player.Ask("prev");
    ASSERT_TRUE(player.AskUntil("form", "= title One"));
    EXPECT_TRUE(AudaciousReaches(0.8));

    // The person turns it down in the middle of a track.
    playerctl(fBus, {"-p", "audacious", "volume", "0.6"});
    ASSERT_TRUE(AudaciousReaches(0.6));
    player.Ask("next");
    ASSERT_TRUE(player.AskUntil("form", "= title Two"));
    EXPECT_TRUE(AudaciousReaches(1.0));
    player.Ask("prev");
    ASSERT_TRUE(player.AskUntil("form", "= title One"));
    EXPECT_TRUE(AudaciousReaches(0.6));

    // Leaving while the adjustment is on gives Audacious the person's volume back.
    player.Ask("next");
    ASSERT_TRUE(player.AskUntil("form", "= title Two"));
    EXPECT_TRUE(AudaciousReaches(1.0));
    EXPECT_EQ(player.Quit().exitStatus, 0);
    EXPECT_TRUE(AudaciousReaches(0.6));
    audacious.Quit();
}

}  // namespace
}  // namespace follow_test
