// The module's entry point: the one symbol the player looks up in libbrindle-display.so.
#include "DisplayHost.h"
#include "DisplayMode.h"

extern "C" __attribute__((visibility("default"))) int brindle_display_main(const DisplayRun *run) {
    return run_with_display(*run->argc, run->argv, *run->host, [run](QtDisplay &display) {
        const int status = run->script ? run->script() : run_until_closed(*run->host, display);
        run->host->Shutdown();
        return status;
    });
}
