// The player's side of a playlist: filling it and moving its current item. Every
// playlist the player opens is one of these; add-ons see the PrivatePlaylist base alone.
#ifndef BRINDLE_PLAYER_PLAYLIST_H
#define BRINDLE_PLAYER_PLAYLIST_H

#include <PrivatePlaylist.h>

class Playlist : public PrivatePlaylist {
public:
    Playlist() = default;

    // Each notifies the listeners after the lock is released. A playlist that follows
    // another player (FollowedPlaylist.h) asks that player instead.
    // Appends an item; returns its id (negative: refused).
    virtual int32 AddItem(const char *path);
    // Makes item `index` current (-1: none) and sends MSG_PLAYLIST_CURRENT.
    // B_BAD_INDEX (and no message) when index is neither -1 nor an item's;
    // B_NOT_ALLOWED when the playlist cannot choose its current item.
    virtual status_t SetCurrent(int32 index);
    // Moves the current item by `delta`, stopping at the first and last item, and
    // sends MSG_PLAYLIST_CURRENT (also when it could not move). From no current item,
    // a step forward goes to the first item.
    virtual void Step(int32 delta);
    // Whether another player decides what the playlist holds (it is not changed by hand).
    virtual bool FollowsAPlayer() const { return false; }
    // Sends MSG_PLAYLIST_CURRENT, changing nothing.
    void NotifyCurrent();
    // Sends MSG_PLAYLIST_LOST_CONTROLS: the playlist has left the controller.
    void NotifyLostControls();

private:
    void _Notify(uint32 what);
};

// The player's view of a handle it holds. Every playlist in the player's controller was
// made by the player as a Playlist, so the cast is safe there; null for an empty handle.
inline Playlist *AsPlayerPlaylist(const PlaylistPtr &playlist) {
    return static_cast<Playlist *>(playlist.Get());
}

#endif  // BRINDLE_PLAYER_PLAYLIST_H
