// What `help` says: one line per command, its synopsis and what it does. The player's
// commands carry theirs in its command table (CommandInterpreter.cpp), the front end's in
// its own.
#ifndef BRINDLE_PLAYER_SEAMS_HELP_H
#define BRINDLE_PLAYER_SEAMS_HELP_H

#include <cstddef>
#include <string>
#include <vector>

struct CommandHelp {
    const char *name;      // "add"
    const char *synopsis;  // "add PATH"
    const char *summary;   // "append PATH to playlist 0, opening one first if none is open"
};

// One entry of a command table: what `help` says of the command and what runs it. The
// player's table and the front end's have this shape; `Handler` is each one's own.
template <typename Handler>
struct CommandEntry {
    CommandHelp help;
    Handler handler;
};

// The entry of `table` for command `name`, or null.
template <typename Handler, size_t Count>
const CommandEntry<Handler> *find_command(const CommandEntry<Handler> (&table)[Count],
                                          const std::string &name) {
    for (const CommandEntry<Handler> &entry : table) {
        if (name == entry.help.name)
            return &entry;
    }
    return nullptr;
}

// The help of every entry of `table`, in its order.
template <typename Handler, size_t Count>
std::vector<CommandHelp> table_help(const CommandEntry<Handler> (&table)[Count]) {
    std::vector<CommandHelp> help;
    for (const CommandEntry<Handler> &entry : table)
        help.push_back(entry.help);
    return help;
}

// The help of command `name` among `commands`, or null.
const CommandHelp *find_command_help(const std::vector<CommandHelp> &commands,
                                     const std::string &name);

// One answer line: "= SYNOPSIS  SUMMARY", the summaries in one column.
std::string help_line(const CommandHelp &help);

#endif  // BRINDLE_PLAYER_SEAMS_HELP_H
