// What a playlist holds; the player's own, behind the contract's PrivatePlaylist.
#ifndef BRINDLE_PLAYER_PLAYLIST_DATA_H
#define BRINDLE_PLAYER_PLAYLIST_DATA_H

#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "ListenerList.h"

struct PlaylistItem {
    int32 id;
    std::string path;
};

class PlaylistData {
public:
    std::recursive_mutex lock;
    // A deque: appending never moves an item, so PathForItem's pointers stay valid.
    // Ids grow with the position (items are only appended), so they are found by
    // binary search.
    std::deque<PlaylistItem> items;
    int32 nextId = 1;
    int32 current = -1;
    float volume = 1.0f;
    ListenerList listeners;
    // Told of every SetVolume, on the caller's thread, after the lock is released; set
    // before the playlist is shared, never changed after.
    std::function<void(float)> volumeSet;
};

#endif  // BRINDLE_PLAYER_PLAYLIST_DATA_H
