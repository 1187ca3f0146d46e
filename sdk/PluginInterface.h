// The player's plugin ABI: what an add-on image exports and what the player passes it.
//
// An add-on image exports `get_plugin_list` with C linkage; it returns a null-terminated
// list of descriptors. For an interface plugin the player calls the descriptor's
// getPluginFunction once per enabling and gets back an InterfacePluginOps table and a
// private data pointer, which it passes back to every operation and to
// destroyPluginFunction.
#ifndef BRINDLE_SDK_PLUGIN_INTERFACE_H
#define BRINDLE_SDK_PLUGIN_INTERFACE_H

#include <SupportDefs.h>

class BMessage;
class SoundPlayController;

// Passed to getPluginFunction. Only `controller` is part of the contract add-ons rely on.
struct plugin_info {
    SoundPlayController *controller;
    const char *imagePath;  // where the image was loaded from
};

typedef void *(*plugin_getter)(void **data, const char *name, const char *header, uint32 size,
                               plugin_info *info);
typedef void (*plugin_destroyer)(void *, void *data);

enum : uint32 {
    PLUGIN_DESCRIPTOR_MAGIC = 'face',
    PLUGIN_DESCRIPTOR_VERSION = 4,
    PLUGIN_INTERFACE_MAGIC = 'filt',
    PLUGIN_INTERFACE_VERSION = 3,
    PLUGIN_IS_INTERFACE = 0x10,
};

// Eleven words on the original 32-bit platform; here the pointers are native width.
struct PluginDescriptor {
    uint32 magic;
    uint32 descriptorVersion;
    const char *id;
    uint32 pluginVersion;
    uint32 flags;
    const char *name;
    const char *aboutString;
    void (*optionalFunction1)();
    void (*optionalFunction2)();
    plugin_getter getPluginFunction;
    plugin_destroyer destroyPluginFunction;
};

struct InterfacePluginOps {
    uint32 magic;
    uint32 opsVersion;
    status_t (*show)(void *data);
    void (*hide)(void *data);
    void (*setconfig)(void *data, BMessage *config);
    status_t (*getconfig)(void *data, BMessage *config);
};

extern "C" {
typedef PluginDescriptor **(*get_plugin_list_function)();
}
#define GET_PLUGIN_LIST_SYMBOL "get_plugin_list"

// Notifications the player sends to its listeners.
enum : uint32 {
    MSG_CONTROLS_ADDED = 0x63740001,
    MSG_CONTROLS_REMOVED = 0x63740002,
    MSG_PLAYLIST_LOST_CONTROLS = 0x706C0005,
    MSG_PLAYLIST_CURRENT = 0x706C0007,
};

// Sent by the player's display to an interface's window when the person presses Escape
// in it: the window takes back its unsaved edits, or closes as its close box does when it
// has none.
enum : uint32 { MSG_UNDO_EDITS = 'AiUn' };

// Sent through the roster to ask the player to enable an interface; its string field
// "interface" names the plugin id.
enum : uint32 { MSG_OPEN_INTERFACE = '!int' };

#endif  // BRINDLE_SDK_PLUGIN_INTERFACE_H
