// The player's application object: registered with the roster under the player's
// signature, handing every '!int' request (MSG_OPEN_INTERFACE) to the player's main
// thread.
//
// The main thread reads commands instead of running the application's loop, so the
// requests come through the roster message hook, on the roster's listener thread. A
// request that arrived between registration and the hook's installation waits in the
// application's queue: the constructor runs the loop once, on the calling thread, to
// hand those on as well, and ends it when it reaches B_READY_TO_RUN.
#ifndef BRINDLE_PLAYER_PLAYER_APPLICATION_H
#define BRINDLE_PLAYER_PLAYER_APPLICATION_H

#include <Application.h>

class Player;

class PlayerApplication : public BApplication {
public:
    static constexpr const char *kSignature = "application/x-vnd.tarvik-soundplay";

    explicit PlayerApplication(Player &player);
    ~PlayerApplication() override;

    void MessageReceived(BMessage *message) override;
    void ReadyToRun() override;

private:
    Player &fPlayer;
};

#endif  // BRINDLE_PLAYER_PLAYER_APPLICATION_H
