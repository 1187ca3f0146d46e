// The entry points: each prints its line and forwards to the window.
#include "plugin/BrindlePlugin.h"

#include <cstdio>
#include <cstring>

#include <Message.h>
#include <Rect.h>

#include "window/PluginWindow.h"

namespace {

// Fills the descriptor when the image is loaded, before get_plugin_list can run.
struct DescriptorInitializer {
    DescriptorInitializer() {
        memset(&plugin, 0, sizeof(plugin));
        plugin.magic = PLUGIN_DESCRIPTOR_MAGIC;
        plugin.descriptorVersion = PLUGIN_DESCRIPTOR_VERSION;
        plugin.id = PLUGINID;
        plugin.pluginVersion = 1;
        plugin.flags = PLUGIN_IS_INTERFACE;
        plugin.name = "Brindle User-interface";
        plugin.aboutString = "By Zorvane.\n";
        plugin.optionalFunction1 = nullptr;
        plugin.optionalFunction2 = nullptr;
        plugin.getPluginFunction = getplugin;
        plugin.destroyPluginFunction = destroyplugin;
    }
};

PluginWindow *window_of(void *data) {
    return static_cast<PluginWindow *>(data);
}

}  // namespace

PluginDescriptor plugin;
static DescriptorInitializer descriptorInitializer;

PluginDescriptor *plugs[2] = {&plugin, nullptr};

InterfacePluginOps plugin_ops = {
    PLUGIN_INTERFACE_MAGIC, PLUGIN_INTERFACE_VERSION, show, hide, setconfig, getconfig,
};

extern "C" PluginDescriptor **get_plugin_list() {
    printf("Brindle - get_plugin_list\n");
    return plugs;
}

void *getplugin(void **data, const char *, const char *, uint32, plugin_info *info) {
    printf("Brindle - getplugin\n");
    // Nowhere to hand a window back: make none rather than leak it.
    if (data == nullptr)
        return nullptr;
    *data = new PluginWindow(info != nullptr ? info->controller : nullptr);
    return &plugin_ops;
}

void destroyplugin(void *, void *data) {
    printf("Brindle - destroyplugin\n");
    PluginWindow *window = window_of(data);
    if (window != nullptr && window->Lock())
        window->Quit();
}

status_t show(void *data) {
    printf("Brindle - show\n");
    if (window_of(data) != nullptr)
        window_of(data)->Show();
    return 0;
}

void hide(void *data) {
    printf("Brindle - hide\n");
    if (window_of(data) != nullptr)
        window_of(data)->Hide();
}

void setconfig(void *data, BMessage *config) {
    printf("Brindle - setconfig\n");
    PluginWindow *window = window_of(data);
    BRect frame(0, 0, -1, -1);
    if (window == nullptr || config == nullptr || config->FindRect("frame", &frame) != B_OK)
        return;
    window->MoveTo(frame.left, frame.top);
    window->ResizeTo(frame.right - frame.left, frame.bottom - frame.top);
}

status_t getconfig(void *data, BMessage *config) {
    printf("Brindle - getconfig\n");
    PluginWindow *window = window_of(data);
    if (window == nullptr || config == nullptr)
        return B_BAD_VALUE;
    config->MakeEmpty();
    return config->AddRect("frame", window->Frame());
}
