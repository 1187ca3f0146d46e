// The player's side of the controller: what only the player does to its list of
// playlists. Add-ons see the SoundPlayController base alone.
#ifndef BRINDLE_PLAYER_PLAYER_CONTROLLER_H
#define BRINDLE_PLAYER_PLAYER_CONTROLLER_H

#include <functional>

#include <SoundPlayController.h>

#include "Status.h"

class PlayerController : public SoundPlayController {
public:
    // `disable` runs for DisableInterface (on the caller's thread: it must only queue the
    // work); empty, DisableInterface answers B_NO_INIT.
    explicit PlayerController(std::function<void(const char *)> disable = {});
    ~PlayerController();

    // Listeners are told after the controller's lock is released.
    // Opens a new, empty playlist at the end of the list and sends MSG_CONTROLS_ADDED.
    PlaylistPtr OpenPlaylist();
    // The same for a playlist the caller made (and filled: listeners see it complete).
    void OpenPlaylist(const PlaylistPtr &playlist);
    // The same at position `index` (clamped to the list); later playlists move up one.
    void OpenPlaylistAt(const PlaylistPtr &playlist, int32 index);
    // Playlist `index` leaves the list, then sends MSG_PLAYLIST_LOST_CONTROLS to its
    // own listeners; it lives on while any PlaylistPtr holds it. B_BAD_INDEX ("no
    // playlist N (C open)") when out of range.
    Status ClosePlaylist(int32 index);
    // Drops every playlist, telling nobody (the player is ending).
    void CloseAllPlaylists();
};

#endif  // BRINDLE_PLAYER_PLAYER_CONTROLLER_H
