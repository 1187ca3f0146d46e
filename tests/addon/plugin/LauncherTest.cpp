// The add-on launched on its own: it hands the player the request to open the interface,
// starting the player first when none runs. Each test has a roster directory of its own.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include "AddonHarness.h"

using namespace addon_test;

namespace {

const std::vector<std::string> kEnabledWithoutPlaylist = {
    "Brindle - getplugin",
    "PluginWindow constructor",
    "PluginWindow::Impl::controlsAdded() called",
    "PluginWindow::Impl::controlsAdded: no playlist available",
    "Brindle - show",
};

}  // namespace

TEST(Launcher, AsksTheRunningPlayerToEnableTheInterface) {
    TempDir dir;
    PlayerSession player(dir, {});
    ASSERT_TRUE(player.Sync());

    ChildProcess launcher({launcher_path()}, player_options(dir));
    RunResult launched = launcher.Finish();
    ASSERT_FALSE(launched.timedOut);
    EXPECT_EQ(launched.exitStatus, 0) << launched.err;
    EXPECT_EQ(launched.out, "main\n");

    ASSERT_TRUE(player.WaitForLine("Brindle - show")) << player.Output();
    RunResult result = player.Finish();
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> expected = {"Brindle - get_plugin_list",
                                         "= add-on sp-brindle \"Brindle User-interface\" "
                                         "version 1 flags 16"};
    expected.insert(expected.end(), kEnabledWithoutPlaylist.begin(), kEnabledWithoutPlaylist.end());
    expected.push_back("Brindle - destroyplugin");
    expected.push_back("PluginWindow destructor");
    EXPECT_EQ(result.OutLines(), expected);
}

TEST(Launcher, StartsThePlayerWhenNoneRunsAndThereIsADisplay) {
    TempDir dir;
    PlayerReaper reaper{runtime_dir(dir), ""};
    ASSERT_TRUE(players_using(reaper.runtime).empty());

    // The player inherits the launcher's standard output, so both are read here.
    ChildProcess launcher({launcher_path()}, drawn_options(dir));
    ASSERT_TRUE(launcher.WaitForLine("main"));
    ASSERT_TRUE(launcher.WaitForLine("Brindle - show")) << launcher.Output();

    std::vector<pid_t> started = players_using(reaper.runtime);
    ASSERT_EQ(started.size(), 1u);
    ASSERT_EQ(kill(started[0], SIGTERM), 0);
    RunResult result = launcher.Finish();
    ASSERT_FALSE(result.timedOut) << result.out;
    EXPECT_EQ(result.exitStatus, 0) << result.err;

    // A drawn player places the window beside its own, and keeps its place at the end.
    std::vector<std::string> expected = {"main", "Brindle - get_plugin_list"};
    expected.insert(expected.end(), kEnabledWithoutPlaylist.begin(), kEnabledWithoutPlaylist.end());
    expected.insert(expected.end() - 1, "Brindle - setconfig");
    expected.push_back("Brindle - getconfig");
    expected.push_back("Brindle - destroyplugin");
    expected.push_back("PluginWindow destructor");
    EXPECT_EQ(result.OutLines(), expected) << result.err;
    EXPECT_TRUE(players_using(reaper.runtime).empty());
}

TEST(Launcher, WithNoPlayerAndNoDisplayStartsNothingAndSaysWhy) {
    TempDir dir;
    PlayerReaper reaper{runtime_dir(dir), ""};
    RunResult result = ChildProcess({launcher_path()}, player_options(dir)).Finish();
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "main\n");
    EXPECT_NE(result.err.find("no brindle-player is running"), std::string::npos) << result.err;
    EXPECT_TRUE(players_using(reaper.runtime).empty());
}

TEST(Launcher, HelpAndVersionPrintAndStartNothing) {
    TempDir dir;
    PlayerReaper reaper{runtime_dir(dir), ""};
    for (const char *option : {"--help", "--version"}) {
        RunResult result = ChildProcess({launcher_path(), option}, drawn_options(dir)).Finish();
        EXPECT_EQ(result.exitStatus, 0) << option;
        EXPECT_EQ(result.out.rfind("main\n", 0), std::string::npos) << option;
        EXPECT_NE(result.out.find("brindle"), std::string::npos) << option;
        EXPECT_EQ(result.err, "") << option;
    }
    EXPECT_TRUE(players_using(reaper.runtime).empty());
}
