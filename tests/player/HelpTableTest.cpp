// The help table and the command table agree: every command has its line of help.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CommandInterpreter.h"
#include "Help.h"

TEST(Help, EveryCommandHasOneLineOfHelpAndNoHelpNamesAMissingCommand) {
    const std::vector<std::string> names = CommandInterpreter::CommandNames();
    for (const std::string &name : names)
        EXPECT_NE(find_command_help(player_command_help(), name), nullptr) << name;
    EXPECT_EQ(player_command_help().size(), names.size());
    for (const CommandHelp &help : player_command_help()) {
        EXPECT_EQ(std::string(help.synopsis).rfind(help.name, 0), 0u) << help.name;
        EXPECT_EQ(help_line(help).find('\n'), help_line(help).size() - 1) << help.name;
    }
}
