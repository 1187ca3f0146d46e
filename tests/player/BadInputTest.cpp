// Bad commands, bad add-on images and bad command lines: a clear error, a clean
// shutdown, the documented exit status, and nothing lost on the way.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Errors.h>

#include "PlayerRunner.h"
#include "TestAddOns.h"

using namespace player_test;
using namespace test_support;
using Lines = std::vector<std::string>;

TEST(BadInput, BadCommandInAScriptNamesItsLineAndShutsDownCleanly) {
    const char *const commands[] = {
        "frobnicate",        // unknown
        "goto",              // missing argument
        "goto x",            // not a number
        "goto 1x",           // not a number either
        "goto 3",            // out of range (one item)
        "goto -2",           // out of range
        "close-playlist 1",  // out of range
        "close-playlist one",
        "send",
        "send abcd",  // bad codes
        "send 'abc'",
        "send 0x",
        "send 0x123456789",
        "send 0xZZ",
        "volume loud",
        "volume nan",
        "volume -3",
        "add /nonexistent/x.mp3",
        "help nothing",
        "setconfig 1 2 3",
        "setconfig 1 2 3 4 5",
        "setconfig 1 2 three 4",
        "items",
        "set",
        "pick genre",
        "pick",
        "add",
        "screenshot",
        "enable sp-nothing",
        "enable sp-test-filter",  // not an interface
        "disable sp-nothing",
        "next please",
        "quit now",
    };
    for (const char *command : commands) {
        RunResult result = run_player_script(
            {"--add-on", interface_addon_path()},
            "enable sp-test\nadd /tmp/a\n" + std::string(command) + "\nadd-ons\n");
        ASSERT_FALSE(result.timedOut) << command;
        EXPECT_EQ(result.exitStatus, 2) << command;
        const Lines errors = result.ErrLines();
        ASSERT_EQ(errors.size(), 1u) << command << ": " << result.err;
        EXPECT_EQ(errors[0].compare(0, 24, "brindle-player: line 3: "), 0)
            << command << ": " << errors[0];
        EXPECT_GT(errors[0].size(), 24u) << command;
        // Nothing after the bad line runs, and the interface is ended cleanly.
        const Lines lines = result.OutLines();
        EXPECT_TRUE(lines_starting(lines, "= add-on").empty()) << command;
        ASSERT_GE(lines.size(), 2u) << command;
        EXPECT_EQ(lines[lines.size() - 2], "Test - destroyplugin main=1") << command;
        EXPECT_EQ(lines.back(), "TestWindow - destructor") << command;
    }
}

TEST(BadInput, ReasonsSayWhatWasWrong) {
    struct Case {
        std::string command;
        std::string error;
    };
    const std::string tooLong = "/tmp/" + std::string(5000, 'a');
    const Case cases[] = {
        {"frobnicate", "unknown command \"frobnicate\""},
        {"goto", "goto: missing item number"},
        {"goto x", "goto: \"x\" is not a number"},
        {"goto 3", "goto: no item 3 in playlist 0 (1 items)"},
        {"send 'abc'", "send: bad message code \"'abc'\" (use 'abcd' or 0x...)"},
        {"enable sp-nothing", "enable: no add-on with id \"sp-nothing\""},
        {"enable sp-test-filter", "enable: \"sp-test-filter\" is not an interface"},
        {"disable sp-nothing", "disable: interface \"sp-nothing\" is not enabled"},
        {"next please", "next: unexpected argument \"please\""},
        {"volume -0.5", "volume: \"-0.5\" is negative (a volume is 0 or more)"},
        {"add /nonexistent/x.mp3",
         "add: cannot add \"/nonexistent/x.mp3\": its directory does not exist"},
        {"help nothing", "help: no command \"nothing\""},
        {"add " + tooLong,
         "add: cannot add \"" + tooLong.substr(0, 60) + "...\": the path is too long"},
    };
    for (const Case &test : cases) {
        RunResult result = run_player_script({"--add-on", interface_addon_path()},
                                             "add /tmp/a\n" + test.command + "\n");
        EXPECT_EQ(result.err, "brindle-player: line 2: " + test.error + "\n");
    }
}

TEST(BadInput, BlankLinesAndCommentsAreNotCommands) {
    RunResult result =
        run_player_script({"--add-on", interface_addon_path()},
                          "\n   \n# a comment\n\t# another\r\nnew-playlist\r\nvolume\n");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.OutLines(), (Lines{"Test - get_plugin_list", "= volume 1"}));
}

TEST(BadInput, UnusableImagesAreNamedAndThePlayerGoesOn) {
    TempDir directory;
    const std::string text = directory.Write("notes.so", "this is not an ELF image\n");
    const std::string missing = directory / "missing.so";
    RunResult result =
        run_player_script({"--add-on", text, "--add-on", no_plugin_list_path(), "--add-on",
                           bad_magic_addon_path(), "--add-on", missing, "--add-on",
                           interface_addon_path(), "--add-on", interface_addon_path()},
                          "add-ons\nenable sp-test\n");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    // Only good descriptors are there (the bad-magic image's second one is good), in
    // load order; get_plugin_list ran once for each image that has one.
    const Lines lines = result.OutLines();
    EXPECT_EQ(lines_starting(lines, "= add-on"),
              (Lines{"= add-on sp-bad-magic-filter \"Test Filter\" version 2 flags 0",
                     "= add-on sp-test \"Test Interface\" version 7 flags 16",
                     "= add-on sp-test-filter \"Test Filter\" version 2 flags 0"}));
    EXPECT_EQ(lines_starting(lines, "Test - get_plugin_list").size(), 2u);
    EXPECT_EQ(lines_starting(lines, "Test - getplugin sp-test").size(), 1u);

    const Lines errors = result.ErrLines();
    auto reported = [&](const std::string &path, const std::string &what) {
        for (const std::string &line : errors) {
            if (line.compare(0, 16 + path.size() + 2, "brindle-player: " + path + ": ") == 0 &&
                line.find(what) != std::string::npos)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(reported(text, "cannot load add-on")) << result.err;
    EXPECT_TRUE(reported(missing, "cannot load add-on")) << result.err;
    EXPECT_TRUE(reported(no_plugin_list_path(), "no get_plugin_list")) << result.err;
    EXPECT_TRUE(reported(bad_magic_addon_path(), "bad magic")) << result.err;
    EXPECT_TRUE(reported(interface_addon_path(), "already loaded")) << result.err;
}

TEST(BadInput, InterfaceWithABadOperationsTableIsUndoneAndReported) {
    RunResult result =
        run_player_script({"--add-on", bad_ops_addon_path()}, "enable sp-bad-ops\nadd-ons\nform\n");
    ASSERT_FALSE(result.timedOut);
    // What getplugin made is destroyed again, from the player's thread, and the script
    // goes on; the interface never counts as enabled.
    EXPECT_EQ(
        result.OutLines(),
        (Lines{"Test - get_plugin_list", "Test - getplugin sp-bad-ops main=1",
               "TestWindow - constructor", "Test - destroyplugin main=1", "TestWindow - destructor",
               "= add-on sp-bad-ops \"Test Interface\" version 7 flags 16",
               "= add-on sp-bad-ops-filter \"Test Filter\" version 2 flags 0"}));
    const Lines errors = result.ErrLines();
    ASSERT_EQ(errors.size(), 2u) << result.err;
    EXPECT_EQ(errors[0].compare(0, 16 + bad_ops_addon_path().size(),
                                "brindle-player: " + bad_ops_addon_path()),
              0)
        << errors[0];
    EXPECT_NE(errors[0].find("bad magic"), std::string::npos) << errors[0];
    EXPECT_EQ(errors[1], "brindle-player: line 3: form: no window to act on");
    EXPECT_EQ(result.exitStatus, 2);
}

TEST(BadInput, InterfaceWhoseShowFailsIsUndoneAndReported) {
    RunResult result =
        run_player_script({"--add-on", no_show_addon_path()}, "enable sp-no-show\nadd-ons\n");
    ASSERT_FALSE(result.timedOut);
    // Undone before the script goes on, and the command itself was good.
    EXPECT_EQ(result.OutLines(),
              (Lines{"Test - get_plugin_list", "Test - getplugin sp-no-show main=1",
                     "TestWindow - constructor", "Test - show", "Test - destroyplugin main=1",
                     "TestWindow - destructor",
                     "= add-on sp-no-show \"Test Interface\" version 7 flags 16",
                     "= add-on sp-no-show-filter \"Test Filter\" version 2 flags 0"}));
    EXPECT_EQ(result.ErrLines(),
              (Lines{"brindle-player: " + no_show_addon_path() +
                     ": interface sp-no-show: show failed: " + status_text(B_NOT_ALLOWED)}));
    EXPECT_EQ(result.exitStatus, 0);
}

TEST(BadInput, InterfaceWithoutAShowIsUndoneAndReported) {
    RunResult result =
        run_player_script({"--add-on", showless_addon_path()}, "enable sp-showless\nform\n");
    ASSERT_FALSE(result.timedOut);
    EXPECT_NE(result.out.find("Test - destroyplugin main=1"), std::string::npos) << result.out;
    EXPECT_EQ(result.ErrLines(), (Lines{"brindle-player: " + showless_addon_path() +
                                            ": interface sp-showless: no show in its operations",
                                        "brindle-player: line 2: form: no window to act on"}));
    EXPECT_EQ(result.exitStatus, 2);
}

TEST(BadInput, AShowCommandThatFailsIsReportedAndTheScriptGoesOn) {
    RunResult result = run_player_script({"--add-on", show_once_addon_path()},
                                         "enable sp-show-once\nshow\nadd-ons\n");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.ErrLines(),
              (Lines{"brindle-player: " + show_once_addon_path() +
                     ": interface sp-show-once: show failed: " + status_text(B_NOT_ALLOWED)}));
    EXPECT_NE(result.out.find("= add-on sp-show-once "), std::string::npos) << result.out;
    EXPECT_EQ(result.exitStatus, 0);
}

TEST(BadInput, BadCommandLinesPrintUsage) {
    TempDir directory;
    const std::vector<std::vector<std::string>> commandLines = {
        {"--bogus"},
        {"--script"},
        {"--add-on"},
        {"--script", directory / "no-such-script"},
        {"--script", directory.Path()},
        {"--script", "a", "--script", "b"},
    };
    for (const auto &arguments : commandLines) {
        std::vector<std::string> argv = {player_path()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        ChildProcess player(argv, player_options(directory));
        RunResult result = player.Finish();
        EXPECT_EQ(result.exitStatus, 2) << arguments[0];
        EXPECT_EQ(result.err.compare(0, 16, "brindle-player: "), 0) << result.err;
        EXPECT_EQ(result.out, "") << arguments[0];
    }
}
