// The front end's own commands, for tests and demos: they act on the Qt widgets on the
// GUI thread as a person would (typing into a line edit, choosing from a combo box,
// clicking, pressing keys, the close box, dragging a window, the player window's
// buttons and slider), so a script can check that the widgets and the models agree.
// They exist only with a display; the command language hands the display the commands
// it does not know itself. `help` lists them (their table is in the .cpp file).
//
// widget-state answers "= window TITLE", "= text LABEL TEXT", "= popup LABEL SHOWN",
// "= button LABEL", "= string NAME TEXT" for each shown add-on window and its views,
// then "= playlist COUNT CURRENT". widget-geometry answers "= geometry X Y W H NAME" lines: the
// player's window
// ("player"), the newest shown add-on window ("window"), and each of that window's
// controls by its label, in window coordinates.
#ifndef BRINDLE_PLAYER_DISPLAY_FRONT_END_COMMANDS_H
#define BRINDLE_PLAYER_DISPLAY_FRONT_END_COMMANDS_H

#include <string>
#include <vector>

#include "Help.h"
#include "Status.h"

class Arguments;
class QtDisplay;

// Command thread. True when `name` is a front-end command (widget-…, slider).
bool is_front_end_command(const std::string &name);

// Any thread: the front-end commands' help, in the order `help` lists them.
std::vector<CommandHelp> front_end_command_help();

// Command thread. Runs front-end command `name` on the words after it; a failure says
// why when they are bad or the widget it names is not there.
Status run_front_end_command(QtDisplay &display, const std::string &name, Arguments &arguments);

#endif  // BRINDLE_PLAYER_DISPLAY_FRONT_END_COMMANDS_H
