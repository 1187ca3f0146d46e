// What a controller holds; the player's own, behind the contract's SoundPlayController.
//
// One lock guards the list of playlists. The thread holding it may take it again, because
// the contract lets an add-on hold it (SoundPlayController::Lock()) around calls that each
// take it; no method here takes it twice.
#ifndef BRINDLE_PLAYER_CONTROLLER_DATA_H
#define BRINDLE_PLAYER_CONTROLLER_DATA_H

#include <functional>
#include <vector>

#include <PrivatePlaylist.h>
#include <RecursiveMutex.h>

#include "ListenerList.h"

class ControllerData {
public:
    // `disable` is what DisableInterface asks for; empty where nobody hosts interfaces.
    explicit ControllerData(std::function<void(const char *)> disable)
        : fDisable(std::move(disable)) {}

    void Lock() ACQUIRE(fLock) { fLock.Lock(); }
    void Unlock() RELEASE(fLock) { fLock.Unlock(); }

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
    mutable brindle::RecursiveMutex fLock;
    std::vector<PlaylistPtr> fPlaylists GUARDED_BY(fLock);
    ListenerList fListeners;
    const std::function<void(const char *)> fDisable;
};

#endif  // BRINDLE_PLAYER_CONTROLLER_DATA_H
