// Enabling, driving and ending an interface through the real player, checked by the
// order of the lines the test add-on and the player print.
#include <signal.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlayerRunner.h"
#include "TestAddOns.h"

using namespace player_test;
using namespace test_support;
using Lines = std::vector<std::string>;

TEST(InterfaceLifecycle, EnableCallsGetpluginThenShowAndConfigRoundTrips) {
    RunResult result = run_player_script({"--add-on", interface_addon_path()},
                                         "enable sp-test\n"
                                         "getconfig\n"
                                         "setconfig 10 20 310 220.5\n"
                                         "getconfig\n"
                                         "setconfig\n"
                                         "getconfig\n"
                                         "hide\n"
                                         "show\n"
                                         "disable sp-test\n");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.OutLines(), (Lines{
                                     "Test - get_plugin_list",
                                     "Test - getplugin sp-test main=1",
                                     "TestWindow - constructor",
                                     "Test - show",
                                     "Test - getconfig",
                                     "= frame 100 100 399 299",
                                     "Test - setconfig",
                                     "Test - getconfig",
                                     "= frame 10 20 310 220.5",
                                     // An empty message: the window stays where it is.
                                     "Test - setconfig",
                                     "Test - getconfig",
                                     "= frame 10 20 310 220.5",
                                     "Test - hide",
                                     "Test - show",
                                     "Test - destroyplugin main=1",
                                     "TestWindow - destructor",
                                 }));
}

TEST(InterfaceLifecycle, EnablingAnEnabledInterfaceMakesNoSecondWindow) {
    RunResult result =
        run_player_script({"--add-on", interface_addon_path()}, "enable sp-test\nenable sp-test\n");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.OutLines(), (Lines{
                                     "Test - get_plugin_list",
                                     "Test - getplugin sp-test main=1",
                                     "TestWindow - constructor",
                                     "Test - show",
                                     "Test - destroyplugin main=1",
                                     "TestWindow - destructor",
                                 }));
}

TEST(InterfaceLifecycle, EnableWithoutIdEnablesSpBrindle) {
    RunResult result =
        run_player_script({"--add-on", default_id_addon_path()}, "enable\ndisable\nadd-ons\n");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.OutLines(), (Lines{
                                     "Test - get_plugin_list",
                                     "Test - getplugin sp-brindle main=1",
                                     "TestWindow - constructor",
                                     "Test - show",
                                     "Test - destroyplugin main=1",
                                     "TestWindow - destructor",
                                     "= add-on sp-brindle \"Test Interface\" version 7 flags 16",
                                     "= add-on sp-brindle-filter \"Test Filter\" version 2 flags 0",
                                 }));
}

TEST(InterfaceLifecycle, CloseBoxEndsThePluginFromThePlayersThread) {
    // The close request runs QuitRequested on the window's thread, which asks the player
    // to disable the interface and returns; only then, on the player's main thread, does
    // destroyplugin run. The next command sees the interface gone.
    RunResult result = run_player_script({"--add-on", interface_addon_path()},
                                         "new-playlist\n"
                                         "enable sp-test\n"
                                         "close\n"
                                         "add-ons\n"
                                         "form\n");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.OutLines(), (Lines{
                                     "Test - get_plugin_list",
                                     "Test - getplugin sp-test main=1",
                                     "TestWindow - constructor",
                                     "TestWindow - attached",
                                     "TestWindow - current -1 of 0 \"\"",
                                     "Test - show",
                                     "TestWindow - QuitRequested main=0",
                                     "TestWindow - QuitRequested done",
                                     "Test - destroyplugin main=1",
                                     "TestWindow - destructor",
                                     "= add-on sp-test \"Test Interface\" version 7 flags 16",
                                     "= add-on sp-test-filter \"Test Filter\" version 2 flags 0",
                                 }));
    // With the window gone there is nothing for `form` to act on.
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err, "brindle-player: line 5: form: no window to act on\n");
}

TEST(InterfaceLifecycle, ReenablingAfterACloseMakesAFreshWindow) {
    // Each close asks the player twice to disable the interface (see the test add-on);
    // it is ended once per close, and a later enable starts it afresh.
    RunResult result = run_player_script({"--add-on", interface_addon_path()},
                                         "enable sp-test\n"
                                         "send '_QRQ'\n"
                                         "enable sp-test\n"
                                         "close\n"
                                         "enable sp-test\n"
                                         "quit\n");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const Lines lines = result.OutLines();
    EXPECT_EQ(lines_starting(lines, "Test - getplugin").size(), 3u);
    EXPECT_EQ(lines_starting(lines, "TestWindow - QuitRequested main=0").size(), 2u);
    EXPECT_EQ(lines_starting(lines, "Test - destroyplugin main=1").size(), 3u);
    EXPECT_EQ(lines_starting(lines, "TestWindow - destructor").size(), 3u);
    EXPECT_EQ(lines.back(), "TestWindow - destructor");
}

TEST(InterfaceLifecycle, QuitAndTheEndOfTheScriptDisableEverything) {
    for (const char *script : {"enable sp-test\nquit\nno-such-command\n", "enable sp-test\n"}) {
        RunResult result = run_player_script({"--add-on", interface_addon_path()}, script);
        EXPECT_EQ(result.exitStatus, 0) << script << result.err;
        EXPECT_EQ(result.err, "") << script;
        const Lines lines = result.OutLines();
        ASSERT_GE(lines.size(), 2u) << script;
        EXPECT_EQ(lines[lines.size() - 2], "Test - destroyplugin main=1") << script;
        EXPECT_EQ(lines.back(), "TestWindow - destructor") << script;
    }
}

TEST(InterfaceLifecycle, WithoutScriptEveryInterfaceIsEnabledAndCommandsComeFromInput) {
    TempDir directory;
    ChildProcess player({player_path(), "--headless", "--add-on", interface_addon_path()},
                        player_options(directory, Input::kPipe));
    ASSERT_TRUE(player.WaitForLine("Test - show"));
    // A bad command is reported and the player goes on; no prompt on a pipe.
    player.Send("bogus\nnew-playlist");
    ASSERT_TRUE(player.WaitForLine("TestWindow - current -1 of 0 \"\""));
    RunResult result = player.Finish();  // end of input: as quit
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, "brindle-player: line 1: unknown command \"bogus\"\n");
    EXPECT_EQ(result.out.find("brindle>"), std::string::npos);
    EXPECT_EQ(result.OutLines().back(), "TestWindow - destructor");
}

TEST(InterfaceLifecycle, TerminationSignalDisablesCleanly) {
    for (int signal : {SIGTERM, SIGINT}) {
        TempDir directory;
        ChildProcess player({player_path(), "--add-on", interface_addon_path(), "--script", "-"},
                            player_options(directory, Input::kPipe));
        player.Send("enable sp-test\nadd-ons");
        ASSERT_TRUE(
            player.WaitForLine("= add-on sp-test-filter \"Test Filter\" version 2 flags 0"));
        player.Signal(signal);
        // The script's input stays open: only the signal ends the player.
        ASSERT_TRUE(player.WaitForLine("TestWindow - destructor"));
        RunResult result = player.Finish();
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitStatus, 128 + signal) << result.err;
        EXPECT_EQ(lines_starting(result.OutLines(), "Test - destroyplugin main=1").size(), 1u);
    }
}

TEST(InterfaceLifecycle, DetachedPlayerEndsWhenItsLastWindowCloses) {
    // Standard input is /dev/null (as when the roster starts the player) or closed: the
    // player keeps its interfaces until their windows close, then exits by itself.
    for (Input input : {Input::kDevNull, Input::kClosed}) {
        TempDir directory;
        ChildProcess player({player_path(), "--add-on", closing_addon_path()},
                            player_options(directory, input));
        RunResult result = player.Finish();
        ASSERT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.OutLines(), (Lines{
                                         "Test - get_plugin_list",
                                         "Test - getplugin sp-closing main=1",
                                         "TestWindow - constructor",
                                         "Test - show",
                                         "TestWindow - QuitRequested main=0",
                                         "TestWindow - QuitRequested done",
                                         "Test - destroyplugin main=1",
                                         "TestWindow - destructor",
                                     }));
    }
}

TEST(InterfaceLifecycle, DetachedPlayerKeepsRunningUntilSignalled) {
    TempDir directory;
    ChildProcess player({player_path(), "--add-on", interface_addon_path()},
                        player_options(directory));
    ASSERT_TRUE(player.WaitForLine("Test - show"));
    player.Signal(SIGTERM);
    RunResult result = player.Finish();
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 128 + SIGTERM) << result.err;
    EXPECT_EQ(result.OutLines().back(), "TestWindow - destructor");
    // It said once what it was doing and how to stop it.
    EXPECT_EQ(lines_starting(result.ErrLines(), "brindle-player: no commands to read").size(), 1u)
        << result.err;
    EXPECT_NE(result.err.find("kill " + std::to_string(player.Pid())), std::string::npos);
}
