// The plugin id, shared by the add-on image and its standalone launcher.
#include "plugin/BrindlePlugin.h"

const char *PLUGINID = "sp-brindle";
