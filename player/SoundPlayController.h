// The player as its add-ons see it. Add-ons resolve these members against the running
// player, which exports them. Every operation is safe to call from any thread.
#ifndef _SOUND_PLAY_CONTROLLER_H
#define _SOUND_PLAY_CONTROLLER_H

#include <SupportDefs.h>

#include "PrivatePlaylist.h"

class BHandler;
class Player;

class SoundPlayController {
public:
    explicit SoundPlayController(Player *player);
    ~SoundPlayController();
    SoundPlayController(const SoundPlayController &) = delete;
    SoundPlayController &operator=(const SoundPlayController &) = delete;

    // Recursive, owned by the calling thread. Lock order: controller, then playlist.
    bool Lock();
    void Unlock();

    // Listeners receive MSG_CONTROLS_ADDED whenever a playlist opens. They are kept as
    // messengers, so a listener that is gone is skipped, never dereferenced.
    status_t AddListener(BHandler *handler);
    status_t RemoveListener(BHandler *handler);

    int32 CountPlaylists();
    PlaylistPtr PlaylistAt(uint32 index);

    // Asks the player to end interface `id`; the player calls its destroyPluginFunction
    // later, from its own thread, never from inside this call.
    status_t DisableInterface(const char *id);

    Player *GetPlayer() const { return fPlayer; }

private:
    Player *fPlayer;
};

#endif  // _SOUND_PLAY_CONTROLLER_H
