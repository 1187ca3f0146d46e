// The display front end (Qt 6, player/display/) is a module of its own,
// libbrindle-display.so beside the platform library, loaded only when the player draws
// its windows: a headless player never maps Qt.
#ifndef BRINDLE_PLAYER_DISPLAY_MODULE_H
#define BRINDLE_PLAYER_DISPLAY_MODULE_H

#include <functional>
#include <string>

#include "Status.h"

class Player;

// Windows are drawn when a display is there (DISPLAY, WAYLAND_DISPLAY or
// QT_QPA_PLATFORM is set and not empty) and --headless was not given.
bool display_wanted(bool headless);

// What the player hands the module.
struct DisplayRun {
    int *argc;
    char **argv;
    Player *player;
    // A script's commands, run on the command thread; empty without a script (the
    // windows' and the roster's requests are served until the player's window closes).
    std::function<int()> script;
};

// The module's entry point, by this name: runs the player with windows, Qt's event loop
// on the calling (main) thread, and returns the exit status once the windows are gone
// and the player is shut down.
extern "C" int brindle_display_main(const DisplayRun *run);

// Loads the module and runs it, its exit status in `exitStatus`; a failure when the module
// cannot be loaded (nothing has run then).
Status run_display_module(const DisplayRun &run, int *exitStatus);

#endif  // BRINDLE_PLAYER_DISPLAY_MODULE_H
