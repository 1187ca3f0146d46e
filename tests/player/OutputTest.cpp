// Standard output through a pipe is collected and written at the player's flush points;
// the lines stay whole and in the order they were printed, across the window's thread,
// the main thread's answers and the errors on standard error.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlayerRunner.h"
#include "TestAddOns.h"

using namespace player_test;
using namespace test_support;
using Lines = std::vector<std::string>;

TEST(Output, WindowLinesAnswersAndErrorsKeepTheirOrderInOnePipe) {
    TempDir directory;
    // Both streams into one pipe, as `2>&1 | ...` does; commands from a pipe, so a bad
    // one is reported and the player goes on. Every interface is enabled at start, and
    // the one with a bad operations table prints before the player reports it.
    ChildProcess player(
        {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1", player_path(), "--add-on",
         interface_addon_path(), "--add-on", bad_ops_addon_path(), "/tmp/a", "/tmp/b", "/tmp/c"},
        player_options(directory, Input::kPipe));
    // A command's lines are out before the player waits for the next one.
    player.Send("next");
    ASSERT_TRUE(player.WaitForLine("TestWindow - current 1 of 3 \"/tmp/b\""));
    player.Send("frobnicate\nnext\ngoto 9\nvolume");
    const RunResult result = player.Finish();
    EXPECT_EQ(result.exitStatus, 0);
    const std::string badOps = "brindle-player: " + bad_ops_addon_path() +
                               ": interface sp-bad-ops: operations table has bad magic "
                               "0x6f6f7073 (expected 0x66696c74 'filt')";
    // clang-format off
    const Lines expected = {
        "Test - get_plugin_list",
        "Test - get_plugin_list",
        "Test - getplugin sp-test main=1",
        "TestWindow - constructor",
        "TestWindow - attached",
        "TestWindow - current 0 of 3 \"/tmp/a\"",
        "Test - show",
        "Test - getplugin sp-bad-ops main=1",
        "TestWindow - constructor",
        "TestWindow - attached",
        "TestWindow - current 0 of 3 \"/tmp/a\"",
        badOps,
        "Test - destroyplugin main=1",
        "TestWindow - destructor",
        "TestWindow - MSG_PLAYLIST_CURRENT",
        "TestWindow - current 1 of 3 \"/tmp/b\"",
        "brindle-player: line 2: unknown command \"frobnicate\"",
        "TestWindow - MSG_PLAYLIST_CURRENT",
        "TestWindow - current 2 of 3 \"/tmp/c\"",
        "brindle-player: line 4: goto: no item 9 in playlist 0 (3 items)",
        "= volume 1",
        "Test - destroyplugin main=1",
        "TestWindow - destructor",
    };
    // clang-format on
    EXPECT_EQ(result.OutLines(), expected);
}
