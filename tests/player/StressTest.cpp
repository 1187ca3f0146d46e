// Many steps with a listening window: every notification arrives, in order, and the
// run ends (no lost wake-up, no deadlock between the player and the window).
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlayerRunner.h"
#include "TestAddOns.h"

using namespace player_test;
using namespace test_support;
using Lines = std::vector<std::string>;

TEST(Stress, TwoThousandStepsReachTheWindowInOrder) {
    const int kItems = 10;
    const int kSteps = 2000;
    std::string script = "enable sp-test\nnew-playlist\n";
    for (int i = 0; i < kItems; i++)
        script += "add /tmp/track " + std::to_string(i) + ".mp3\n";

    // A fixed pseudo-random walk that runs into both ends many times.
    Lines expected;
    unsigned state = 12345;
    int current = -1;
    for (int step = 0; step < kSteps; step++) {
        state = state * 1103515245u + 12345u;
        const bool forward = ((state >> 16) % 100) < 48;
        script += forward ? "next\n" : "prev\n";
        if (forward)
            current = current < 0 ? 0 : std::min(current + 1, kItems - 1);
        else if (current > 0)
            current--;
        expected.push_back(
            "TestWindow - current " + std::to_string(current) + " of " + std::to_string(kItems) +
            " \"" +
            (current < 0 ? std::string() : "/tmp/track " + std::to_string(current) + ".mp3") +
            "\"");
    }
    script += "volume\n";

    RunResult result = run_player_script({"--add-on", interface_addon_path()}, script);
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    Lines reported = lines_starting(result.OutLines(), "TestWindow - current");
    ASSERT_EQ(reported.size(), expected.size() + 1);  // and one when it attached
    EXPECT_EQ(reported.front(), "TestWindow - current -1 of 0 \"\"");
    EXPECT_EQ(Lines(reported.begin() + 1, reported.end()), expected);
    EXPECT_EQ(lines_starting(result.OutLines(), "TestWindow - MSG_PLAYLIST_CURRENT").size(),
              static_cast<size_t>(kSteps));
    EXPECT_EQ(lines_starting(result.OutLines(), "= volume"), (Lines{"= volume 1"}));
}
