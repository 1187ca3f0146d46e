// '!int' requests through the roster reach the player in every mode, also while its
// script waits for input.
#include <stdlib.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Message.h>
#include <Roster.h>

#include "PlayerRunner.h"
#include "TestAddOns.h"

using namespace player_test;
using namespace test_support;
using Lines = std::vector<std::string>;

namespace {

const char *const kPlayerSignature = "application/x-vnd.tarvik-soundplay";
const uint32 kOpenInterface = '!int';

// The test process and its players share a roster of their own.
class RosterRequest : public ::testing::Test {
protected:
    void SetUp() override {
        fDirectory = std::make_unique<TempDir>();
        setenv("XDG_RUNTIME_DIR", runtime_dir(*fDirectory).c_str(), 1);
        // No app entries from the user's own data: Launch must not start anything.
        setenv("XDG_DATA_HOME", (*fDirectory / "data").c_str(), 1);
    }

    status_t Request(const char *interface) {
        BMessage message(kOpenInterface);
        message.AddString("interface", interface);
        return be_roster->Launch(kPlayerSignature, &message);
    }

    std::unique_ptr<TempDir> fDirectory;
};

}  // namespace

TEST_F(RosterRequest, OpenInterfaceRequestEnablesWhileTheScriptWaitsForInput) {
    ChildProcess player({player_path(), "--add-on", interface_addon_path(), "--script", "-"},
                        player_options(*fDirectory, Input::kPipe));
    // Its first answer means the player runs, registered with the roster.
    player.Send("add-ons");
    ASSERT_TRUE(player.WaitForLine("= add-on sp-test-filter \"Test Filter\" version 2 flags 0"));

    ASSERT_EQ(Request("sp-test"), B_OK);
    ASSERT_TRUE(player.WaitForLine("Test - show"));
    // Again: it is enabled already, nothing happens. Then a name nobody has.
    ASSERT_EQ(Request("sp-test"), B_OK);
    ASSERT_EQ(Request("sp-nothing"), B_OK);
    // The requests were handed over before Launch returned; the next command's wait
    // runs them.
    player.Send("getconfig");
    ASSERT_TRUE(player.WaitForLine("= frame 100 100 399 299"));
    player.Send("quit");
    RunResult result = player.Finish();
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err,
              "brindle-player: open interface request: no add-on with id "
              "\"sp-nothing\"\n");
    const Lines lines = result.OutLines();
    EXPECT_EQ(lines_starting(lines, "Test - getplugin"),
              (Lines{"Test - getplugin sp-test main=1"}));
    EXPECT_EQ(lines.back(), "TestWindow - destructor");
}

TEST_F(RosterRequest, SecondPlayerWorksWithoutTheRosterName) {
    ChildProcess first({player_path(), "--script", "-"}, player_options(*fDirectory, Input::kPipe));
    first.Send("new-playlist\nvolume");
    ASSERT_TRUE(first.WaitForLine("= volume 1"));

    ChildProcess second({player_path(), "--add-on", interface_addon_path(), "--script", "-"},
                        player_options(*fDirectory, Input::kPipe));
    second.Send("new-playlist\nvolume 0.5\nvolume");
    ASSERT_TRUE(second.WaitForLine("= volume 0.5"));

    // The request goes to the first player, which owns the name (and has no such
    // interface); the second one is left alone.
    ASSERT_EQ(Request("sp-test"), B_OK);
    RunResult firstResult = first.Finish();
    EXPECT_EQ(firstResult.exitStatus, 0);
    EXPECT_EQ(firstResult.err,
              "brindle-player: open interface request: no add-on with id \"sp-test\"\n");
    RunResult secondResult = second.Finish();
    EXPECT_EQ(secondResult.exitStatus, 0) << secondResult.err;
    EXPECT_TRUE(lines_starting(secondResult.OutLines(), "Test - getplugin").empty());
}
