// The seam a display front end plugs into: the command language hands it `screenshot`
// and the commands it owns, and the waiting rule lets it catch up after each command.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Errors.h>

#include "CommandInterpreter.h"
#include "Player.h"

namespace {

class RecordingDisplay : public Display {
public:
    Status Screenshot(const std::string &path) override {
        calls.push_back("screenshot " + path);
        return path == "/fail.png" ? Status(B_IO_ERROR, "cannot write") : Status();
    }
    bool OwnsCommand(const std::string &name) const override { return name == "widget-x"; }
    Status RunCommand(const std::string &name, Arguments &arguments) override {
        const std::string rest = arguments.Rest();
        calls.push_back("run " + name + " " + rest);
        return rest == "bad" ? Status(B_BAD_VALUE, "bad") : Status();
    }
    void CatchUp() override { calls.push_back("catch up"); }
    void Notice(const std::string &text) override { calls.push_back("notice " + text); }

    std::vector<std::string> calls;
};

}  // namespace

TEST(DisplaySeam, WithoutADisplayScreenshotAndFrontEndCommandsAreErrors) {
    Player player;
    CommandInterpreter interpreter(player);
    EXPECT_EQ(interpreter.Execute("screenshot /tmp/a b.png").Text(),
              "screenshot: no display (the player runs headless)");
    EXPECT_EQ(interpreter.Execute("widget-x 1").Text(), "unknown command \"widget-x\"");
}

TEST(DisplaySeam, TheDisplayGetsItsCommandsAndCatchesUpAfterEachWait) {
    Player player;
    RecordingDisplay display;
    player.SetDisplay(&display);
    CommandInterpreter interpreter(player);
    EXPECT_TRUE(interpreter.Execute("screenshot /tmp/a b.png").IsOK());
    player.Settle();
    EXPECT_TRUE(interpreter.Execute("  widget-x  one two ").IsOK());
    EXPECT_EQ(interpreter.Execute("widget-x bad").Text(), "widget-x: bad");
    const Status failed = interpreter.Execute("screenshot /fail.png");
    EXPECT_EQ(failed.Code(), B_IO_ERROR);
    EXPECT_EQ(failed.Text(), "screenshot: cannot write");
    EXPECT_EQ(interpreter.Execute("widget-y").Code(), B_NAME_NOT_FOUND);
    EXPECT_EQ(display.calls, (std::vector<std::string>{"screenshot /tmp/a b.png", "catch up",
                                                       "run widget-x one two ", "run widget-x bad",
                                                       "screenshot /fail.png"}));
    player.SetDisplay(nullptr);
}

TEST(DisplaySeam, AnInterfaceAskedForThatCannotOpenIsNoticedInTheWindow) {
    Player player;
    RecordingDisplay display;
    player.SetDisplay(&display);
    player.RequestEnable("sp-none");
    player.Settle();
    EXPECT_EQ(display.calls,
              (std::vector<std::string>{
                  "notice open interface request: no add-on with id \"sp-none\"", "catch up"}));
    player.SetDisplay(nullptr);
}

TEST(DisplaySeam, AnInterfaceWhoseShowFailsIsNoticedInTheWindowAndNotEnabled) {
    Player player;
    ASSERT_TRUE(player.AddOns().Load(TEST_NO_SHOW_ADDON).IsOK());
    RecordingDisplay display;
    player.SetDisplay(&display);
    testing::internal::CaptureStderr();
    player.RequestEnable("sp-no-show");
    player.Settle();
    const std::string failure =
        std::string(TEST_NO_SHOW_ADDON) +
        ": interface sp-no-show: show failed: " + status_text(B_NOT_ALLOWED);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "brindle-player: " + failure + "\n");
    EXPECT_EQ(display.calls, (std::vector<std::string>{"notice " + failure, "catch up"}));
    EXPECT_EQ(player.Interfaces().Count(), 0u);
    EXPECT_FALSE(player.EverEnabled());
    player.SetDisplay(nullptr);
}
