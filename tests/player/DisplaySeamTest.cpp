// The seam a display front end plugs into: the command language hands it `screenshot`
// and the commands it owns, and the waiting rule lets it catch up after each command.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CommandInterpreter.h"
#include "Player.h"

namespace {

class RecordingDisplay : public Display {
public:
    bool Screenshot(const std::string &path, std::string *error) override {
        calls.push_back("screenshot " + path);
        if (path == "/fail.png") {
            *error = "cannot write";
            return false;
        }
        return true;
    }
    bool OwnsCommand(const std::string &name) const override { return name == "widget-x"; }
    bool RunCommand(const std::string &name, Arguments &arguments, std::string *error) override {
        const std::string rest = arguments.Rest();
        calls.push_back("run " + name + " " + rest);
        if (rest == "bad") {
            *error = "bad";
            return false;
        }
        return true;
    }
    void CatchUp() override { calls.push_back("catch up"); }

    std::vector<std::string> calls;
};

}  // namespace

TEST(DisplaySeam, WithoutADisplayScreenshotAndFrontEndCommandsAreErrors) {
    Player player;
    CommandInterpreter interpreter(player);
    std::string error;
    EXPECT_EQ(interpreter.Execute("screenshot /tmp/a b.png", &error), CommandInterpreter::kFailed);
    EXPECT_EQ(error, "screenshot: no display (the player runs headless)");
    EXPECT_EQ(interpreter.Execute("widget-x 1", &error), CommandInterpreter::kFailed);
    EXPECT_EQ(error, "unknown command \"widget-x\"");
}

TEST(DisplaySeam, TheDisplayGetsItsCommandsAndCatchesUpAfterEachWait) {
    Player player;
    RecordingDisplay display;
    player.SetDisplay(&display);
    CommandInterpreter interpreter(player);
    std::string error;
    EXPECT_EQ(interpreter.Execute("screenshot /tmp/a b.png", &error), CommandInterpreter::kDone);
    player.Settle();
    EXPECT_EQ(interpreter.Execute("  widget-x  one two ", &error), CommandInterpreter::kDone);
    EXPECT_EQ(interpreter.Execute("widget-x bad", &error), CommandInterpreter::kFailed);
    EXPECT_EQ(error, "widget-x: bad");
    EXPECT_EQ(interpreter.Execute("screenshot /fail.png", &error), CommandInterpreter::kFailed);
    EXPECT_EQ(error, "screenshot: cannot write");
    EXPECT_EQ(interpreter.Execute("widget-y", &error), CommandInterpreter::kFailed);
    EXPECT_EQ(display.calls, (std::vector<std::string>{"screenshot /tmp/a b.png", "catch up",
                                                       "run widget-x one two ", "run widget-x bad",
                                                       "screenshot /fail.png"}));
    player.SetDisplay(nullptr);
}
