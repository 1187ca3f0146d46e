// What a playlist holds; the player's own, behind the contract's PrivatePlaylist.
//
// One lock guards the items, the current index and the volume. The thread holding it may
// take it again, because the contract lets an add-on hold it (PrivatePlaylist::Lock())
// around calls that each take it; no method here takes it twice. Every method takes it;
// Lock()/Unlock() hold it across several.
#ifndef BRINDLE_PLAYER_PLAYLIST_DATA_H
#define BRINDLE_PLAYER_PLAYLIST_DATA_H

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <RecursiveMutex.h>

#include "ListenerList.h"

struct PlaylistItem {
    int32 id;
    std::string path;
};

class PlaylistData {
public:
    void Lock() ACQUIRE(lock) { lock.Lock(); }
    void Unlock() RELEASE(lock) { lock.Unlock(); }

    // Appends an item and returns its id.
    int32 AddItem(const char *path);
    int32 CountItems() const;
    // -1 when none is current.
    int32 CurrentIndex() const;
    // False (changing nothing) when `index` is neither -1 nor an item's.
    bool SetCurrent(int32 index);
    // Moves the current item by `delta`, stopping at either end; from none, a step
    // forward lands on the first item.
    void Step(int32 delta);
    // -1 when `index` is out of range.
    int32 IDForItemAt(int32 index) const;
    // Null for an unknown id. The text stays valid while the playlist lives and the item
    // is not replaced (ReplaceItems).
    const char *PathForItem(int32 id) const;

    // Makes `paths` the items (new ids, unless the paths are the same as now) and item
    // `current` current; returns whether the current item's path or index changed.
    bool ReplaceItems(const std::vector<std::string> &paths, int32 current);

    float Volume() const;
    // Stores the volume and tells the observer (on the caller's thread, without the lock).
    void SetVolume(float volume);
    // Stores the volume and tells nobody.
    void MirrorVolume(float volume);
    // Told of every SetVolume; set before the playlist is shared, never changed after.
    void SetVolumeObserver(std::function<void(float)> observer) { volumeSet = std::move(observer); }

    ListenerList &Listeners() { return listeners; }

private:
    mutable brindle::RecursiveMutex lock;
    // A deque: appending never moves an item, so PathForItem's pointers stay valid.
    // Ids grow with the position (items are only appended), so they are found by
    // binary search.
    std::deque<PlaylistItem> items GUARDED_BY(lock);
    int32 nextId GUARDED_BY(lock) = 1;
    int32 current GUARDED_BY(lock) = -1;
    float volume GUARDED_BY(lock) = 1.0f;
    ListenerList listeners;
    std::function<void(float)> volumeSet;
};

#endif  // BRINDLE_PLAYER_PLAYLIST_DATA_H
