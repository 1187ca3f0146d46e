// The playlist commands and the notifications they send to a listening window, in
// order, through the real player.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlayerRunner.h"
#include "TestAddOns.h"

using namespace player_test;
using namespace test_support;
using Lines = std::vector<std::string>;

namespace {

// The lines a run printed after the window was shown, up to its destruction.
Lines window_lines(const RunResult &result) {
    Lines lines = result.OutLines();
    Lines kept;
    bool shown = false;
    for (const std::string &line : lines) {
        if (line == "Test - destroyplugin main=1")
            break;
        if (shown)
            kept.push_back(line);
        if (line == "Test - show")
            shown = true;
    }
    return kept;
}

}  // namespace

TEST(PlaylistCommands, StepsStopAtBothEndsAndEveryStepNotifies) {
    RunResult result = run_player_script({"--add-on", interface_addon_path()},
                                         "enable sp-test\n"
                                         "new-playlist\n"
                                         "add /tmp/one.mp3\n"
                                         "add   /tmp/with two  spaces \n"
                                         "next\n"  // from no current item onto the first
                                         "next\n"
                                         "next\n"  // at the end: stays, still notifies
                                         "prev\n"
                                         "prev\n"  // at the start: stays
                                         "goto -1\n"
                                         "prev\n"  // from none, back: stays none
                                         "goto 1\n"
                                         "current\n");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const std::string first = "TestWindow - current 0 of 2 \"/tmp/one.mp3\"";
    const std::string second = "TestWindow - current 1 of 2 \"/tmp/with two  spaces \"";
    const std::string none = "TestWindow - current -1 of 2 \"\"";
    const std::string notified = "TestWindow - MSG_PLAYLIST_CURRENT";
    EXPECT_EQ(window_lines(result), (Lines{
                                        "TestWindow - MSG_CONTROLS_ADDED",
                                        "TestWindow - attached",
                                        "TestWindow - current -1 of 0 \"\"",
                                        notified,
                                        first,
                                        notified,
                                        second,
                                        notified,
                                        second,
                                        notified,
                                        first,
                                        notified,
                                        first,
                                        notified,
                                        none,
                                        notified,
                                        none,
                                        notified,
                                        second,
                                        // The answer comes before the window handles it.
                                        "= current 1 /tmp/with two  spaces ",
                                        notified,
                                        second,
                                    }));
}

TEST(PlaylistCommands, ClosingAPlaylistTellsItsListenersAndANewOneTellsTheController) {
    RunResult result = run_player_script({"--add-on", interface_addon_path()},
                                         "enable sp-test\n"
                                         "add /tmp/a\n"  // opens playlist 0 with the item in it
                                         "goto 0\n"
                                         "close-playlist\n"
                                         "new-playlist\n"
                                         "new-playlist\n"
                                         "close-playlist 1\n"
                                         "add /tmp/b\n"
                                         "goto 0\n");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(window_lines(result), (Lines{
                                        "TestWindow - MSG_CONTROLS_ADDED",
                                        "TestWindow - attached",
                                        "TestWindow - current -1 of 1 \"\"",
                                        "TestWindow - MSG_PLAYLIST_CURRENT",
                                        "TestWindow - current 0 of 1 \"/tmp/a\"",
                                        "TestWindow - MSG_PLAYLIST_LOST_CONTROLS",
                                        // The window attaches to the new first playlist.
                                        "TestWindow - MSG_CONTROLS_ADDED",
                                        "TestWindow - attached",
                                        "TestWindow - current -1 of 0 \"\"",
                                        "TestWindow - MSG_CONTROLS_ADDED",
                                        // Playlist 1 had no listener: nothing to tell.
                                        "TestWindow - MSG_PLAYLIST_CURRENT",
                                        "TestWindow - current 0 of 1 \"/tmp/b\"",
                                    }));
}

TEST(PlaylistCommands, FilesOnTheCommandLineBecomePlaylistZeroWithTheFirstCurrent) {
    RunResult result =
        run_player_script({"--add-on", interface_addon_path()}, "enable sp-test\nnext\n",
                          {"/music/a b.mp3", "/music/c.mp3"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const Lines lines = result.OutLines();
    EXPECT_EQ(lines_starting(lines, "TestWindow - current"),
              (Lines{"TestWindow - current 0 of 2 \"/music/a b.mp3\"",
                     "TestWindow - current 1 of 2 \"/music/c.mp3\""}));
}

TEST(PlaylistCommands, VolumeStartsAtOneAndFollowsTheCommand) {
    // An explicit image, so what the build put in add-ons/ cannot add lines.
    RunResult result = run_player_script({"--add-on", interface_addon_path()},
                                         "new-playlist\n"
                                         "volume\n"
                                         "volume 0.25\n"
                                         "volume\n"
                                         "volume 1.75\n"
                                         "volume\n");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.OutLines(),
              (Lines{"Test - get_plugin_list", "= volume 1", "= volume 0.25", "= volume 1.75"}));
}

TEST(PlaylistCommands, PlaylistCommandsNeedAnOpenPlaylist) {
    for (const char *command : {"next", "prev", "goto 0", "current", "volume", "volume 1",
                                "close-playlist", "close-playlist 0"}) {
        RunResult result = run_player_script({}, std::string(command) + "\n");
        EXPECT_EQ(result.exitStatus, 2) << command;
        EXPECT_EQ(result.err.compare(0, 24, "brindle-player: line 1: "), 0)
            << command << ": " << result.err;
    }
}
