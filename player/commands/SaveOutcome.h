// Whether a save wrote everything it meant to, as the add-on's window says it: its status
// line is the only channel (the contract has no other), and it ends in " — saved" then.
#ifndef BRINDLE_PLAYER_SAVE_OUTCOME_H
#define BRINDLE_PLAYER_SAVE_OUTCOME_H

#include <string>

// `statusLine` is the text of the window's status line after the save was handled.
bool status_line_says_saved(const std::string &statusLine);

#endif  // BRINDLE_PLAYER_SAVE_OUTCOME_H
