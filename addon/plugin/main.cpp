// The add-on launched on its own: asks the player to open this interface.
#include <cstdio>

#include <Application.h>
#include <Message.h>
#include <Roster.h>

#include <PluginInterface.h>

#include "window/PluginId.h"

int main() {
    // Whole lines, even into a pipe shared with the player the roster may start.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    printf("main\n");
    // Never run: it only gives the launch a sender; the signature is not the player's.
    BApplication *app = new BApplication("application/x-vnd.Velmora-AudioPluginWindow");
    BMessage *msg = new BMessage(MSG_OPEN_INTERFACE);
    msg->AddString("interface", PLUGINID);
    // A player that is not there, or not startable, is not our concern here.
    be_roster->Launch("application/x-vnd.tarvik-soundplay", msg);
    delete msg;
    delete app;
    return 0;
}
