// The player as its add-ons see it. Add-ons resolve these members against the running
// player, which exports them. Every operation is safe to call from any thread.
#ifndef _SOUND_PLAY_CONTROLLER_H
#define _SOUND_PLAY_CONTROLLER_H

#include <SupportDefs.h>

#include "PrivatePlaylist.h"

class BHandler;
class ControllerData;
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
    // An empty handle when `index` is out of range.
    PlaylistPtr PlaylistAt(uint32 index);

    // Asks the player to end interface `id`; the player calls its destroyPluginFunction
    // later, from its own thread, never from inside this call (which is made from the
    // interface's window thread, inside QuitRequested).
    status_t DisableInterface(const char *id);

    // The player's side; add-ons do not call these. Listeners are told after the
    // controller's lock is released.

    // Opens a new, empty playlist at the end of the list and sends MSG_CONTROLS_ADDED.
    PlaylistPtr OpenPlaylist();
    // The same for a playlist the caller made (and filled: listeners see it complete).
    void OpenPlaylist(const PlaylistPtr &playlist);
    // Playlist `index` leaves the list, then sends MSG_PLAYLIST_LOST_CONTROLS to its
    // own listeners; it lives on while any PlaylistPtr holds it. B_BAD_INDEX when out
    // of range.
    status_t ClosePlaylist(int32 index);
    // Drops every playlist, telling nobody (the player is ending).
    void CloseAllPlaylists();

    Player *GetPlayer() const { return fPlayer; }

private:
    Player *const fPlayer;
    ControllerData *const fData;
};

#endif  // _SOUND_PLAY_CONTROLLER_H
