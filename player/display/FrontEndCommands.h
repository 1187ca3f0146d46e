// The front end's own commands, for tests and demos: they act on the Qt widgets on the
// GUI thread as a person would (typing into a line edit, choosing from a combo box,
// clicking, the close box, the player window's buttons and slider), so a script can
// check that the widgets and the models agree. They exist only with a display; the
// command language hands the display the commands it does not know itself.
//
//   widget-type title|album|artist TEXT  type TEXT into that line edit (replacing it)
//   widget-pick genre|rating|volume LABEL  choose LABEL from that combo box
//   widget-press LABEL                   click the button labelled LABEL
//   widget-close                         the close box of the newest shown add-on window
//   widget-state                         what the widgets show, one "= " line each:
//                                          = window TITLE
//                                          = text LABEL TEXT
//                                          = popup LABEL SHOWN
//                                          = button LABEL
//                                          = playlist COUNT CURRENT
//   widget-next / widget-prev            click Next / Previous in the player's window
//   widget-goto N                        double-click item N of the playlist
//   widget-volume V                      drag the volume slider to V (0..2)
//   widget-interface ID                  choose interface ID in the Interfaces menu
//                                        (enables it, or disables it when enabled)
//   slider                               answers "= slider V", the slider's volume (%g)
#ifndef BRINDLE_PLAYER_DISPLAY_FRONT_END_COMMANDS_H
#define BRINDLE_PLAYER_DISPLAY_FRONT_END_COMMANDS_H

#include <string>

class Arguments;
class QtDisplay;

// Command thread. True when `name` is a front-end command (widget-…, slider).
bool is_front_end_command(const std::string &name);

// Command thread. Runs front-end command `name` on the words after it; false with
// `error` set when they are bad or the widget it names is not there.
bool run_front_end_command(QtDisplay &display, const std::string &name, Arguments &arguments,
                           std::string *error);

#endif  // BRINDLE_PLAYER_DISPLAY_FRONT_END_COMMANDS_H
