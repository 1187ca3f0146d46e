// The add-on as the player sees it: the plugin id, the one descriptor, the interface
// operation table and the entry points reached through them.
#ifndef BRINDLE_PLUGIN_BRINDLE_PLUGIN_H
#define BRINDLE_PLUGIN_BRINDLE_PLUGIN_H

#include <SupportDefs.h>

#include <PluginInterface.h>

#include "window/PluginId.h"

class BMessage;

extern PluginDescriptor plugin;
// { &plugin, null }: the list get_plugin_list returns.
extern PluginDescriptor *plugs[2];
extern InterfacePluginOps plugin_ops;

// The one exported symbol.
extern "C" __attribute__((visibility("default"))) PluginDescriptor **get_plugin_list();

// `data` receives the new window; `info` carries the player's controller (a null `info`
// or controller gives a window that is attached to nothing).
void *getplugin(void **data, const char *name, const char *header, uint32 size, plugin_info *info);
// Locks the window and quits it, which ends its thread and deletes it.
void destroyplugin(void *, void *data);

status_t show(void *data);
void hide(void *data);
// Moves and resizes the window to the message's "frame"; without one, leaves it alone.
void setconfig(void *data, BMessage *config);
// Empties `config` and stores the window's frame as "frame"; the status of that store.
status_t getconfig(void *data, BMessage *config);

#endif  // BRINDLE_PLUGIN_BRINDLE_PLUGIN_H
