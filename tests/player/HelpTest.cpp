// What a person finds out from the player itself: `help`, `--help` and `--version`.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlayerRunner.h"
#include "TestAddOns.h"

using namespace player_test;
using namespace test_support;
using Lines = std::vector<std::string>;

TEST(Help, TheHelpCommandListsTheCommandsAndShowsOne) {
    RunResult result =
        run_player_script({"--add-on", interface_addon_path()}, "help\nhelp current\n");
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const Lines answers = lines_starting(result.OutLines(), "= ");
    ASSERT_GT(answers.size(), 20u);
    std::set<std::string> listed;
    for (size_t i = 0; i + 1 < answers.size(); i++)
        listed.insert(answers[i].substr(2, answers[i].find(' ', 2) - 2));
    EXPECT_EQ(listed.size(), answers.size() - 1);  // one line each
    EXPECT_EQ(listed.count("current"), 1u);
    EXPECT_EQ(answers.back().rfind("= current ", 0), 0u);
    EXPECT_NE(std::find(answers.begin(), answers.end() - 1, answers.back()), answers.end() - 1);
}

TEST(Help, HelpAndVersionOptionsPrintAndExit) {
    TempDir directory;
    for (const char *option : {"--help", "--version"}) {
        ChildProcess player({player_path(), option}, player_options(directory));
        RunResult result = player.Finish();
        EXPECT_EQ(result.exitStatus, 0) << option;
        EXPECT_EQ(result.err, "") << option;
        EXPECT_NE(result.out.find("brindle-player"), std::string::npos) << option;
    }
}
