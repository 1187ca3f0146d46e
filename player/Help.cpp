#include "Help.h"

#include <cstring>

namespace {

// Wide enough for the longest synopsis of the player's commands.
const size_t kSynopsisColumn = 36;

}  // namespace

const std::vector<CommandHelp> &player_command_help() {
    static const std::vector<CommandHelp> kHelp = {
        {"add-ons", "add-ons", "list the loaded descriptors"},
        {"enable", "enable [ID]", "open interface ID (default sp-brindle): getplugin, then show"},
        {"disable", "disable [ID]", "end interface ID (default sp-brindle): destroyplugin"},
        {"show", "show", "call the interface's show"},
        {"hide", "hide", "call the interface's hide"},
        {"setconfig", "setconfig [L T R B]", "hand the interface a frame (none: an empty message)"},
        {"getconfig", "getconfig", "ask the interface for its frame: = frame L T R B, or none"},
        {"new-playlist", "new-playlist", "open a new playlist"},
        {"close-playlist", "close-playlist [N]", "close playlist N (default 0)"},
        {"add", "add PATH", "append PATH to playlist 0, opening one first if none is open"},
        {"goto", "goto N", "make item N of playlist 0 current (-1: none)"},
        {"next", "next", "move playlist 0's current item one forward"},
        {"prev", "prev", "move playlist 0's current item one back"},
        {"current", "current", "tell the listeners the current item again: = current N PATH"},
        {"volume", "volume [V]", "set playlist 0's volume (0 or more); alone: = volume V"},
        {"form", "form", "what the Brindle window shows, one = line per field"},
        {"items", "items genre|rating|volume", "the items of that menu, one = item line each"},
        {"set", "set title|album|artist TEXT", "type TEXT into that field"},
        {"pick", "pick genre|rating|volume LABEL", "choose the item labelled LABEL"},
        {"save", "save", "press Save"},
        {"close", "close", "ask the window to close, as its close box does"},
        {"status", "status", "the window's status line: = status TEXT"},
        {"send", "send CODE", "send the window a message ('abcd' or 0x...)"},
        {"screenshot", "screenshot PATH", "write a PNG of the shown windows (needs a display)"},
        {"help", "help [CMD]", "the commands, one line each, or command CMD"},
        {"quit", "quit", "end every interface and exit"},
    };
    return kHelp;
}

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
