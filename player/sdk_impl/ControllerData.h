// What a controller holds; the player's own, behind the contract's SoundPlayController.
//
// One lock guards the list of playlists. It is recursive, because the contract lets an
// add-on hold it (SoundPlayController::Lock()) around calls that each take it again; so
// it carries no thread-safety annotations (the analysis cannot follow a recursive lock).
#ifndef BRINDLE_PLAYER_CONTROLLER_DATA_H
#define BRINDLE_PLAYER_CONTROLLER_DATA_H

#include <functional>
#include <mutex>
#include <vector>

#include "ListenerList.h"
#include <PrivatePlaylist.h>

class ControllerData {
public:
    // `disable` is what DisableInterface asks for; empty where nobody hosts interfaces.
    explicit ControllerData(std::function<void(const char *)> disable)
        : fDisable(std::move(disable)) {}

    void Lock() { fLock.lock(); }
    void Unlock() { fLock.unlock(); }

    int32 CountPlaylists() const;
    // An empty handle when `index` is out of range.
    PlaylistPtr PlaylistAt(uint32 index) const;
    // Inserts at `index`, clamped to the list.
    void InsertPlaylist(const PlaylistPtr &playlist, int32 index);
    // Takes playlist `index` out of the list; an empty handle when out of range.
    PlaylistPtr RemovePlaylist(int32 index);
    // Takes every playlist out (the caller drops them, outside the lock).
    std::vector<PlaylistPtr> RemoveAll();

    ListenerList &Listeners() { return fListeners; }
    // False (nothing asked) where nobody hosts interfaces.
    bool Disable(const char *id) const;

private:
    mutable std::recursive_mutex fLock;
    std::vector<PlaylistPtr> fPlaylists;
    ListenerList fListeners;
    const std::function<void(const char *)> fDisable;
};

#endif  // BRINDLE_PLAYER_CONTROLLER_DATA_H
