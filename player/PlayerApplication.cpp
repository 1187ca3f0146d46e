#include "PlayerApplication.h"

#include <Message.h>

#include "Player.h"
#include "Status.h"
#include <PluginInterface.h>

namespace {

void hand_on(Player &player, BMessage *message) {
    if (message == nullptr || message->what != MSG_OPEN_INTERFACE)
        return;
    const char *id = nullptr;
    if (message->FindString("interface", &id) != B_OK || id == nullptr) {
        report_failure(Status(B_BAD_VALUE, "open interface request without \"interface\""));
        return;
    }
    player.RequestEnable(id);
}

}  // namespace

PlayerApplication::PlayerApplication(Player &player) : BApplication(kSignature), fPlayer(player) {
    SetRosterMessageHook([this](BMessage *message) { hand_on(fPlayer, message); });
    // Whatever came before the hook, then B_READY_TO_RUN, which ends the loop.
    Run();
}

PlayerApplication::~PlayerApplication() {
    // The hook uses the player, which may go before the roster stops listening.
    SetRosterMessageHook(nullptr);
}

void PlayerApplication::MessageReceived(BMessage *message) {
    if (message->what == MSG_OPEN_INTERFACE) {
        hand_on(fPlayer, message);
        return;
    }
    BApplication::MessageReceived(message);
}

void PlayerApplication::ReadyToRun() {
    Quit();
}
