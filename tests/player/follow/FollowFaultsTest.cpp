// The follower against a player that sends what no well-behaved one does: a flood of
// changes over a long track list, volumes that are no number, file names holding line
// ends. The player is a fake we wrote (fake_mpris_player.py) for that purpose.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>

#include "FollowHarness.h"

namespace follow_test {
namespace {

using testing::Not;

// Under ThreadSanitizer every step of the follower costs many times more: fewer flips, a
// shorter track list and a slower flood there, so that what the bus holds for it drains
// well within the waits; the plain build checks the full sizes at full speed.
#ifdef __SANITIZE_THREAD__
constexpr int kFlips = 4000;
constexpr int kTracks = 5000;
constexpr int kChanges = 2000;
const char *const kFloodPace = "1000";  // a second
#else
constexpr int kFlips = 40000;
constexpr int kTracks = 50000;
constexpr int kChanges = 10000;
const char *const kFloodPace = "0";  // as fast as the bus carries them
#endif
// The sanitizers' allocators keep more than the program does: AddressSanitizer holds freed
// memory back in its quarantine (up to 256 MB), ThreadSanitizer adds shadow memory for what
// the flood touches. There a flood of short-lived allocations raises the peak without anything
// being kept: the peak's bound is checked in the plain build.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kPeakMeansKept = false;
#else
constexpr bool kPeakMeansKept = true;
#endif
// How long the player playing may take to be followed once the flips stop.
constexpr std::chrono::seconds kFollowedWithin(10);

// The most memory the process `pid` has held so far, in kB (VmHWM); -1 when unknown.
long peak_memory_kb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 6, "VmHWM:") == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

class FollowFaults : public testing::Test {
protected:
    TempDir fDir;
    SessionBus fBus;
};

TEST_F(FollowFaults, FloodOfChangesNeitherStarvesRequestsNorGrowsMemoryNorHoldsUpQuit) {
    // A long track list, and Volume changes as fast as the bus carries them.
    FakePlayer flood(fBus, "flood",
                     {"--tracks", std::to_string(kTracks), "--url", "file:///nowhere/track0.mp3",
                      "--flood", "--flood-pace", kFloodPace});
    FollowingPlayer player(fDir, fBus, {{"--follow=flood"}, true});  // typed: asked early
    ASSERT_TRUE(player.AskUntil("current", "= current 0 /nowhere/track0.mp3"));
    player.Ask("next");
    EXPECT_TRUE(flood.WaitForLine("Next"));
    // Its list is in: the current track is found in it.
    ASSERT_TRUE(player.AskUntil("current", "= current 1 /nowhere/track1.mp3"));
    const std::string sent = flood.WaitForLineStarting("sent ");
    ASSERT_FALSE(sent.empty());
    const long before = peak_memory_kb(player.Pid());
    // Many changes more: a copy of the list queued per change would be gigabytes.
    ASSERT_TRUE(flood.WaitForLine("sent " + std::to_string(std::stol(sent.substr(5)) + kChanges)));
    const long after = peak_memory_kb(player.Pid());
    EXPECT_GT(before, 0);
    EXPECT_LT(after - before, 64 * 1024) << before << " kB before, " << after << " kB after";
    const RunResult result = player.Quit();
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
}

TEST_F(FollowFaults, TwoPlayersFlippingAtFullSpeedGrowNoMemoryAndTheOnePlayingIsFollowedAfter) {
    const auto files = titled_mp3s(fDir, {"One", "Two"});
    FollowingPlayer player(fDir, fBus, {{"--follow"}, true});  // typed: asked early
    player.Ask("enable");
    const long before = peak_memory_kb(player.Pid());
    const std::string flips = std::to_string(kFlips);
    std::vector<std::string> playing = {"--flip", flips, "--then", "Playing"};
    std::vector<std::string> paused = {"--flip", flips, "--then", "Paused"};
    const auto one = track_urls({files[0]}), two = track_urls({files[1]});
    playing.insert(playing.end(), one.begin(), one.end());
    paused.insert(paused.end(), two.begin(), two.end());
    FakePlayer first(fBus, "first", playing);
    FakePlayer second(fBus, "second", paused);
    ASSERT_TRUE(first.WaitForLine("flipped " + flips));
    ASSERT_TRUE(second.WaitForLine("flipped " + flips));
    const auto stopped = std::chrono::steady_clock::now();
    bool followed = false;
    while (!followed && std::chrono::steady_clock::now() - stopped < kFollowedWithin)
        followed = testing::Value(player.Ask("form"), testing::Contains("= title One"));
    EXPECT_TRUE(followed);
    const long after = peak_memory_kb(player.Pid());
    EXPECT_GT(before, 0);
    if (kPeakMeansKept)
        EXPECT_LT(after - before, 20 * 1024) << before << " kB before, " << after << " kB after";
    const RunResult result = player.Quit();
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
}

TEST_F(FollowFaults, PlayerWithNoTrackListIsNeverAskedForItsTracks) {
    const auto files = titled_mp3s(fDir, {"One", "Two"});
    // It says HasTrackList=false, and would leave a Get of Tracks unanswered.
    std::vector<std::string> arguments = track_urls(files);
    arguments.push_back("--tracks-unanswered");
    FakePlayer silent(fBus, "silent", arguments);
    FollowingPlayer player(fDir, fBus, {{"--follow=silent"}});
    player.Ask("enable");
    ASSERT_TRUE(player.AskUntil("form", "= title One"));
    player.Ask("next");
    EXPECT_TRUE(player.AskUntil("form", "= title Two"));
    EXPECT_EQ(player.Quit().exitStatus, 0);
    EXPECT_THAT(silent.Quit(), Not(testing::Contains("Get Tracks")));
}

TEST_F(FollowFaults, VolumeThatIsNoNumberOrBelowZeroIsRefusedAndNeverSentBack) {
    const auto files = titled_mp3s(fDir, {"One"});
    // Vol. Adjust +2: the add-on moves the volume by 0.5 when it shows the file.
    addon_test::set_int32_attr(files[0], "Audio:VolumeAdjustment", 2);
    for (const std::string volume : {"nan", "inf", "-5"}) {
        SCOPED_TRACE("Volume " + volume);
        FakePlayer fake(fBus, "fake", {"--volume", volume, "--url", "file://" + files[0]});
        FollowingPlayer player(fDir, fBus, {{"--follow=fake"}});
        player.Ask("enable");
        ASSERT_TRUE(player.AskUntil("form", "= title One"));
        // On the volume the playlist starts with, as the player's was refused.
        EXPECT_EQ(fake.WaitForLineStarting("Set Volume "), "Set Volume 1.5");
        const RunResult result = player.Quit();
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_THAT(result.err, testing::HasSubstr("brindle-player: follow: fake sent a volume "
                                                   "that is no number, or below 0: ignored\n"));
    }
}

TEST_F(FollowFaults, FileNameWithAControlCharacterIsRefusedAndNeverForgesAnAnswer) {
    // A line end, and an answer after it.
    const std::string forged = fDir / "a\n= status forged.mp3";
    addon_test::make_mp3(forged);
    FakePlayer fake(fBus, "fake",
                    {"--url", "file://" + fDir.Path() + "/a%0A%3D%20status%20forged.mp3"});
    FollowingPlayer player(fDir, fBus, {{"--follow=fake"}, false, true});  // windows drawn
    player.Ask("enable");
    EXPECT_TRUE(player.AskUntil("widget-state",
                                "= statusbar following fake (its track's file name holds a "
                                "control character: not shown)"));
    EXPECT_THAT(player.Ask("current"), testing::Contains("= current none"));
    RunResult result = player.Quit();
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_THAT(result.OutLines(), Not(testing::Contains(testing::StartsWith("= status forged"))));

    // The player's own answers hold it escaped, on one line.
    FollowingPlayer plain(fDir, fBus, {{forged}});
    EXPECT_THAT(plain.Ask("current"),
                testing::ElementsAre("= current 0 " + fDir.Path() + "/a\\x0a= status forged.mp3"));
    result = plain.Quit();
    EXPECT_THAT(result.OutLines(), Not(testing::Contains(testing::StartsWith("= status forged"))));
}

}  // namespace
}  // namespace follow_test
