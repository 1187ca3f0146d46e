// Choosing between windows and the prompt, and running the player with windows.
#ifndef BRINDLE_PLAYER_DISPLAY_DISPLAY_MODE_H
#define BRINDLE_PLAYER_DISPLAY_DISPLAY_MODE_H

#include <functional>

class DisplayHost;
class QtDisplay;

// Runs the player with windows. Qt's event loop owns this (the main) thread; `commands`
// runs on a command thread of its own with the display installed as the player's, and
// must leave the player shut down (every interface disabled) when it returns. Its
// status is returned once the windows are gone.
int run_with_display(int &argc, char **argv, DisplayHost &host,
                     const std::function<int(QtDisplay &display)> &commands);

// The commands of a player with windows and no script: enables every interface, then
// serves the task queue (the windows' and the roster's requests) until the player's
// window is closed (0) or a signal ends it (128 + the signal).
int run_until_closed(DisplayHost &host, QtDisplay &display);

#endif  // BRINDLE_PLAYER_DISPLAY_DISPLAY_MODE_H
