// A host that loads the add-on the way the player does, but hands getplugin no plugin_info,
// a plugin_info without a controller, or nowhere to put the window. It links the
// player's core so the image's references to the playlist classes resolve, and prints
// one line per step it takes besides the add-on's own.
//
// usage: addon_null_host IMAGE
#include <dlfcn.h>

#include <cstdio>

#include <Message.h>
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

// getconfig on a message that already holds fields, setconfig without and with "frame".
void exercise_config(InterfacePluginOps *ops, void *data, BWindow *window) {
    BMessage config('conf');
    config.AddString("stale", "value");
    config.AddRect("frame", BRect(1, 2, 3, 4));
    config.AddInt32("count", 5);
    status_t status = ops->getconfig(data, &config);
    const char *name = nullptr;
    type_code type = 0;
    config.GetInfo(B_ANY_TYPE, 0, &name, &type);
    BRect frame;
    config.FindRect("frame", &frame);
    printf("host: getconfig status %d, %d field(s), first \"%s\", %s\n", static_cast<int>(status),
           static_cast<int>(config.CountNames(B_ANY_TYPE)), name != nullptr ? name : "",
           frame == window->Frame() ? "the window's frame" : "another frame");

    BRect built = window->Frame();
    BMessage without('conf');
    without.AddString("frame", "not a rectangle");
    ops->setconfig(data, &without);
    printf("host: setconfig without a frame rectangle: %s\n",
           window->Frame() == built ? "unchanged" : "moved");

    BRect wanted(30, 40, 530, 40 + built.Height());
    BMessage with('conf');
    with.AddRect("frame", wanted);
    ops->setconfig(data, &with);
    printf("host: setconfig with a frame: %s\n",
           window->Frame() == wanted ? "moved and resized" : "elsewhere");
}

void exercise(PluginDescriptor *descriptor, plugin_info *info, bool config) {
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
    if (config)
        exercise_config(ops, data, window);
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
    exercise(descriptor, nullptr, true);

    printf("host: no controller\n");
    plugin_info info = {nullptr, argv[1]};
    exercise(descriptor, &info, false);

    printf("host: nowhere to put the window\n");
    void *ops = descriptor->getPluginFunction(nullptr, descriptor->id, nullptr, 0, &info);
    printf("host: %s, %d windows\n", ops == nullptr ? "no operations" : "operations",
           static_cast<int>(count_windows()));
    return 0;
}
