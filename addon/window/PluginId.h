// The id the player names this interface by ("sp-brindle"). The window hands it back when
// it asks to be disabled; the entry points and the launcher name the interface with it.
#ifndef BRINDLE_WINDOW_PLUGIN_ID_H
#define BRINDLE_WINDOW_PLUGIN_ID_H

extern const char *PLUGINID;

#endif  // BRINDLE_WINDOW_PLUGIN_ID_H
