// A host that loads the add-on the way the player does, but hands getplugin no plugin_info,
// a plugin_info without a controller, or nowhere to put the window. It links the
// player's core so the image's references to the playlist classes resolve, and prints
// one line per step it takes besides the add-on's own.
//
// usage: addon_null_host IMAGE
#include <dlfcn.h>

#include <cstdio>

#include <Window.h>
#include <WindowList.h>

#include <PluginInterface.h>

namespace {

BWindow *the_window() {
    BWindow *found = nullptr;
    for_each_window([&found](BWindow *window) {
        found = window;
        return false;
    });
    return found;
}

void exercise(PluginDescriptor *descriptor, plugin_info *info) {
    void *data = nullptr;
    auto *ops = static_cast<InterfacePluginOps *>(
        descriptor->getPluginFunction(&data, descriptor->id, nullptr, 0, info));
    if (ops == nullptr || data == nullptr) {
        printf("host: no window\n");
        return;
    }
    ops->show(data);
    BWindow *window = the_window();
    if (window == nullptr) {
        printf("host: window not listed\n");
        return;
    }
    // A close the window refuses, then the player's notice of a new playlist.
    window->PressCloseBox();
    window->PostMessage(MSG_CONTROLS_ADDED);
    window->WaitForIdle();
    printf("host: window %s\n", is_window_alive(window) ? "alive" : "gone");
    descriptor->destroyPluginFunction(nullptr, data);
    printf("host: %d windows\n", static_cast<int>(count_windows()));
}

}  // namespace

int main(int argc, char **argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc != 2) {
        fprintf(stderr, "usage: %s IMAGE\n", argv[0]);
        return 2;
    }
    void *image = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (image == nullptr) {
        fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    auto list = reinterpret_cast<get_plugin_list_function>(dlsym(image, GET_PLUGIN_LIST_SYMBOL));
    PluginDescriptor **descriptors = list != nullptr ? list() : nullptr;
    if (descriptors == nullptr || descriptors[0] == nullptr)
        return 1;
    PluginDescriptor *descriptor = descriptors[0];

    printf("host: no plugin_info\n");
    exercise(descriptor, nullptr);

    printf("host: no controller\n");
    plugin_info info = {nullptr, argv[1]};
    exercise(descriptor, &info);

    printf("host: nowhere to put the window\n");
    void *ops = descriptor->getPluginFunction(nullptr, descriptor->id, nullptr, 0, &info);
    printf("host: %s, %d windows\n", ops == nullptr ? "no operations" : "operations",
           static_cast<int>(count_windows()));
    return 0;
}
