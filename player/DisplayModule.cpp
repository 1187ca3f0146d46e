#include "DisplayModule.h"

#include <dlfcn.h>

#include <cstdlib>

namespace {

bool set(const char *name) {
    const char *value = getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

bool display_wanted(bool headless) {
    if (headless)
        return false;
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

bool run_display_module(const DisplayRun &run, int *status, std::string *error) {
    // Found as the platform library is, through the player's run path. Its references to
    // the player's own classes resolve against the executable, which exports them. It
    // stays loaded until the player exits.
    void *module = dlopen("libbrindle-display.so", RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char *reason = dlerror();
        *error = std::string("cannot load the display front end: ") +
                 (reason != nullptr ? reason : "unknown error");
        return false;
    }
    auto entry =
        reinterpret_cast<decltype(&brindle_display_main)>(dlsym(module, "brindle_display_main"));
    if (entry == nullptr) {
        *error = "the display front end has no entry point brindle_display_main";
        return false;
    }
    *status = entry(&run);
    return true;
}
