// The add-on launched on its own: asks the player to open this interface.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <Application.h>
#include <Message.h>
#include <Roster.h>

#include <PluginInterface.h>

#include "window/PluginId.h"

namespace {

const char *const kPlayerSignature = "application/x-vnd.tarvik-soundplay";

const char *const kUsage =
    "usage: brindle [--help | --version]\n"
    "Asks the running brindle-player to open the Brindle window. With no player\n"
    "running it starts one, which needs a display (DISPLAY or WAYLAND_DISPLAY) to show\n"
    "its windows.\n";

bool set(const char *name) {
    const char *value = getenv(name);
    return value != nullptr && value[0] != '\0';
}

// The player's own rule for drawing its windows.
bool display_present() {
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

// --help and --version print and end the launcher (0); anything else is a mistake (2).
int answer_options(int argc, char **argv) {
    if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        printf("brindle %s\n", BRINDLE_VERSION);
        return 0;
    }
    fprintf(stderr, "brindle: unknown argument %s\n%s", argv[1], kUsage);
    return 2;
}

}  // namespace

int main(int argc, char **argv) {
    // Whole lines, even into a pipe shared with the player the roster may start.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc > 1)
        return answer_options(argc, argv);
    printf("main\n");
    // Never run: it only gives the launch a sender; the signature is not the player's.
    BApplication *app = new BApplication("application/x-vnd.Velmora-AudioPluginWindow");
    // A player started here without a display would show nothing and could never be
    // reached: it would wait for ever.
    if (!be_roster->IsRunning(kPlayerSignature) && !display_present()) {
        fprintf(stderr,
                "brindle: no brindle-player is running, and there is no display (DISPLAY or "
                "WAYLAND_DISPLAY) for one started now to show its windows on; start "
                "brindle-player first\n");
        delete app;
        return 1;
    }
    BMessage *msg = new BMessage(MSG_OPEN_INTERFACE);
    msg->AddString("interface", PLUGINID);
    // A player that is not there, or not startable, is not our concern here.
    be_roster->Launch(kPlayerSignature, msg);
    delete msg;
    delete app;
    return 0;
}
