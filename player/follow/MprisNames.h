// The names following reads: the local file an MPRIS "xesam:url" names, and the player
// names --follow accepts.
#ifndef BRINDLE_PLAYER_MPRIS_NAMES_H
#define BRINDLE_PLAYER_MPRIS_NAMES_H

#include <string>

namespace follow {

// The absolute path of a file:// URL (host empty or "localhost"), percent-decoded.
// False for any other URL, a host elsewhere, a bad escape, or a decoded NUL.
bool local_path_from_url(const std::string &url, std::string *path);

// Whether `text` holds a control character (below 0x20, or DEL): a file name holding one
// would break the lines the player and the add-on print about it.
bool holds_control_character(const std::string &text);

// Whether `name` can follow "org.mpris.MediaPlayer2." in a bus name: elements of
// letters, digits, '_' and '-', none empty or starting with a digit, joined by dots;
// not starting with '-', which the command line keeps for options.
bool is_player_name(const std::string &name);

}  // namespace follow

#endif  // BRINDLE_PLAYER_MPRIS_NAMES_H
