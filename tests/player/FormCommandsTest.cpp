// The commands that act on the interface's window as a user would: reading the form,
// typing, choosing menu items, pressing Save, sending messages.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlayerRunner.h"
#include "TestAddOns.h"

using namespace player_test;
using namespace test_support;
using Lines = std::vector<std::string>;

namespace {

Lines answers(const RunResult &result) {
    return lines_starting(result.OutLines(), "= ");
}

}  // namespace

TEST(FormCommands, FormAndItemsReadTheWindowsControls) {
    RunResult result = run_player_script({"--add-on", interface_addon_path()},
                                         "enable sp-test\n"
                                         "form\n"
                                         "items genre\n"
                                         "items rating\n"
                                         "items volume\n");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(answers(result), (Lines{
                                   "= title ",
                                   "= album ",
                                   "= artist ",
                                   "= genre Acid Punk",
                                   "= rating ",
                                   "= volume ",
                                   "= item Blues",
                                   "= item Classic Rock",
                                   "= item Acid Punk",
                                   "= item 1",
                                   "= item 2",
                                   "= item 3",
                                   "= item -1",
                                   "= item 0",
                                   "= item 1",
                               }));
}

TEST(FormCommands, TypedTextAndPickedItemsReachTheWindowBeforeTheNextCommand) {
    RunResult result = run_player_script({"--add-on", interface_addon_path()},
                                         "enable sp-test\n"
                                         "set title   Hello  World \n"
                                         "set artist Somebody\n"
                                         "set artist\n"               // clears it
                                         "pick genre classic ROCK\n"  // the one label, in any case
                                         "pick rating 2\n"
                                         "form\n"
                                         "save\n");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(answers(result), (Lines{
                                   "= title Hello  World ",
                                   "= album ",
                                   "= artist ",
                                   "= genre Classic Rock",
                                   "= rating 2",
                                   "= volume ",
                               }));
    // Save's message is handled on the window's thread, after the typing it follows.
    EXPECT_EQ(lines_starting(result.OutLines(), "TestWindow - save"),
              (Lines{"TestWindow - save title \"Hello  World \" album \"\" artist \"\" genre "
                     "\"Classic Rock\""}));
}

TEST(FormCommands, PickingAnItemWithAMessageSendsIt) {
    // The test window's Vol. Adjust sets the playlist volume to 1 + 0.25 * value.
    RunResult result = run_player_script({"--add-on", interface_addon_path()},
                                         "new-playlist\n"
                                         "enable sp-test\n"
                                         "pick volume -1\n"
                                         "volume\n"
                                         "pick volume 1\n"
                                         "volume\n"
                                         "form\n");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const Lines lines = result.OutLines();
    EXPECT_EQ(lines_starting(lines, "TestWindow - volume adjust"),
              (Lines{"TestWindow - volume adjust -1", "TestWindow - volume adjust 1"}));
    EXPECT_EQ(lines_starting(lines, "= volume"),
              (Lines{"= volume 0.75", "= volume 1.25", "= volume 1"}));
}

TEST(FormCommands, SendDeliversEitherFormOfCode) {
    RunResult result = run_player_script({"--add-on", interface_addon_path()},
                                         "enable sp-test\n"
                                         "send 'abcd'\n"
                                         "send 0x7FFFFFFF\n"
                                         "send 0x63740002\n");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const Lines lines = result.OutLines();
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(Lines(lines.begin() + 4, lines.begin() + 7),
              (Lines{"TestWindow - message 0x61626364", "TestWindow - message 0x7fffffff",
                     "TestWindow - MSG_CONTROLS_REMOVED"}));
}

TEST(FormCommands, WindowCommandsFailWithoutAWindowOrAControl) {
    struct Case {
        const char *script;
        const char *error;
    };
    const Case cases[] = {
        {"form\n", "brindle-player: line 1: form: no window to act on\n"},
        {"enable sp-test\nhide\nsave\nsave\npick genre Polka\n",
         "brindle-player: line 5: pick: no item \"Polka\" in \"Genre:\"\n"},
        {"enable sp-test\nitems colour\n",
         "brindle-player: line 2: items: unknown menu \"colour\" (genre, rating or volume)\n"},
        {"enable sp-test\nset year 1999\n",
         "brindle-player: line 2: set: unknown field \"year\" (title, album or artist)\n"},
        {"screenshot /tmp/x.png\n",
         "brindle-player: line 1: screenshot: no display (the player runs headless)\n"},
        // A window without a status line: `status` has nothing to read, and `save` has
        // nothing to judge by, so it succeeds as a press.
        {"enable sp-test\nsave\nstatus\n",
         "brindle-player: line 3: status: the window has no status line\n"},
    };
    for (const Case &test : cases) {
        RunResult result = run_player_script({"--add-on", interface_addon_path()}, test.script);
        EXPECT_EQ(result.exitStatus, 2) << test.script;
        EXPECT_EQ(result.err, test.error) << test.script;
    }
}
