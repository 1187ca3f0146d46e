// The display front end (Qt 6, player/display/) is a module of its own,
// libbrindle-display.so beside the platform library, loaded only when the player draws
// its windows: a headless player never maps Qt.
#ifndef BRINDLE_PLAYER_DISPLAY_MODULE_H
#define BRINDLE_PLAYER_DISPLAY_MODULE_H

#include "DisplayHost.h"
#include "Status.h"

// Windows are drawn when a display is there (DISPLAY, WAYLAND_DISPLAY or
// QT_QPA_PLATFORM is set and not empty) and --headless was not given.
bool display_wanted(bool headless);

// Loads the module (its entry point and what it is handed are in DisplayHost.h) and runs it, its
// exit status in `exitStatus`; a failure when the module cannot be loaded (nothing has run then).
Status run_display_module(const DisplayRun &run, int *exitStatus);

#endif  // BRINDLE_PLAYER_DISPLAY_MODULE_H
