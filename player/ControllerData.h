// What a controller holds; the player's own, behind the contract's SoundPlayController.
#ifndef BRINDLE_PLAYER_CONTROLLER_DATA_H
#define BRINDLE_PLAYER_CONTROLLER_DATA_H

#include <functional>
#include <mutex>
#include <vector>

#include "ListenerList.h"
#include <PrivatePlaylist.h>

class ControllerData {
public:
    std::recursive_mutex lock;
    std::vector<PlaylistPtr> playlists;
    ListenerList listeners;
    // What DisableInterface asks for; empty where nobody hosts interfaces (B_NO_INIT).
    std::function<void(const char *)> disable;
};

#endif  // BRINDLE_PLAYER_CONTROLLER_DATA_H
