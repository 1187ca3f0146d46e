#include "DisplayModule.h"

#include <cstdlib>

#include <Errors.h>
#include <ModuleLoader.h>
#include <ModulePath.h>

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

Status run_display_module(const DisplayRun &run, int *exitStatus) {
    // Beside the platform library. Its references to the player's own classes resolve
    // against the executable, which exports them. It stays loaded until the player exits.
    std::string reason;
    void *module =
        brindle::open_module(brindle::module_path("libbrindle-display.so").c_str(), &reason);
    if (module == nullptr) {
        return Status(B_MISSING_LIBRARY, "cannot load the display front end: " + reason);
    }
    auto entry =
        brindle::module_entry<decltype(&brindle_display_main)>(module, "brindle_display_main");
    if (entry == nullptr)
        return Status(B_MISSING_SYMBOL,
                      "the display front end has no entry point brindle_display_main");
    *exitStatus = entry(&run);
    return Status();
}
