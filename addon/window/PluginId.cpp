// The plugin id, shared by the window, the add-on image's entry points and the launcher.
#include "window/PluginId.h"

const char *PLUGINID = "sp-brindle";
