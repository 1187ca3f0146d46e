// What `help` says: one line per command, its synopsis and what it does. The player's
// commands carry theirs in its command table (CommandInterpreter.cpp), the front end's in
// its own.
#ifndef BRINDLE_PLAYER_HELP_H
#define BRINDLE_PLAYER_HELP_H

#include <string>
#include <vector>

struct CommandHelp {
    const char *name;      // "add"
    const char *synopsis;  // "add PATH"
    const char *summary;   // "append PATH to playlist 0, opening one first if none is open"
};

// The help of command `name` among `commands`, or null.
const CommandHelp *find_command_help(const std::vector<CommandHelp> &commands,
                                     const std::string &name);

// One answer line: "= SYNOPSIS  SUMMARY", the summaries in one column.
std::string help_line(const CommandHelp &help);

#endif  // BRINDLE_PLAYER_HELP_H
