#include "Help.h"

#include <cstring>

namespace {

// Wide enough for the longest synopsis of the player's commands.
const size_t kSynopsisColumn = 36;

}  // namespace

const CommandHelp *find_command_help(const std::vector<CommandHelp> &commands,
                                     const std::string &name) {
    for (const CommandHelp &help : commands) {
        if (name == help.name)
            return &help;
    }
    return nullptr;
}

std::string help_line(const CommandHelp &help) {
    std::string line = std::string("= ") + help.synopsis;
    const size_t width = strlen(help.synopsis);
    line.append(width < kSynopsisColumn ? kSynopsisColumn - width : 1, ' ');
    return line + help.summary + "\n";
}
