// A playlist as the player's add-ons see it, and PlaylistPtr, the counted handle to one.
// Every operation is safe to call from any thread; the lock is recursive and groups
// several calls into one consistent view.
#ifndef _PRIVATE_PLAYLIST_H
#define _PRIVATE_PLAYLIST_H

#include <SupportDefs.h>

class BHandler;
class PlaylistData;

class PrivatePlaylist {
public:
    PrivatePlaylist();
    ~PrivatePlaylist();
    PrivatePlaylist(const PrivatePlaylist &) = delete;
    PrivatePlaylist &operator=(const PrivatePlaylist &) = delete;

    bool Lock();
    void Unlock();

    // Listeners receive MSG_PLAYLIST_CURRENT when the current item changes and
    // MSG_PLAYLIST_LOST_CONTROLS when the playlist leaves the controller.
    status_t AddListener(BHandler *handler);
    status_t RemoveListener(BHandler *handler);

    int32 CurrentIndex();  // negative when there is no current item
    int32 CountItems();
    int32 IDForItemAt(int32 index);  // negative when index is out of range
    // The path of item `id`, owned by the playlist; null for an unknown id. Valid until
    // the item is removed (items are never moved in memory).
    const char *PathForItem(int32 id);

    float Volume();
    void SetVolume(float volume);

    // The player's side; add-ons do not call these. Each notifies the listeners after
    // the lock is released.

    // Appends an item; returns its id.
    int32 AddItem(const char *path);
    // Makes item `index` current (-1: none) and sends MSG_PLAYLIST_CURRENT.
    // B_BAD_INDEX (and no message) when index is neither -1 nor an item's.
    status_t SetCurrent(int32 index);
    // Moves the current item by `delta`, stopping at the first and last item, and
    // sends MSG_PLAYLIST_CURRENT (also when it could not move). From no current item,
    // a step forward goes to the first item.
    void Step(int32 delta);
    // Sends MSG_PLAYLIST_CURRENT, changing nothing.
    void NotifyCurrent();
    // Sends MSG_PLAYLIST_LOST_CONTROLS: the playlist has left the controller.
    void NotifyLostControls();

    // Reference counting behind PlaylistPtr. A playlist starts with no reference; the
    // last Release() deletes it.
    void Acquire();
    void Release();

private:
    void _Notify(uint32 what);

    PlaylistData *fData;
    int32 fReferences;
};

class PlaylistPtr {
public:
    PlaylistPtr(PrivatePlaylist *playlist = nullptr);
    PlaylistPtr(const PlaylistPtr &other);
    ~PlaylistPtr();
    PlaylistPtr &operator=(const PlaylistPtr &other);

    PrivatePlaylist *operator->() const { return fPlaylist; }
    PrivatePlaylist *Get() const { return fPlaylist; }
    bool IsEmpty() const { return fPlaylist == nullptr; }
    explicit operator bool() const { return fPlaylist != nullptr; }

private:
    PrivatePlaylist *fPlaylist;
};

#endif  // _PRIVATE_PLAYLIST_H
