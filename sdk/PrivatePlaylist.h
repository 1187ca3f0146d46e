// A playlist as the player's add-ons see it, and PlaylistPtr, the counted handle to one.
// Every operation is safe to call from any thread; the lock is recursive and groups
// several calls into one consistent view.
#ifndef BRINDLE_SDK_PRIVATE_PLAYLIST_H
#define BRINDLE_SDK_PRIVATE_PLAYLIST_H

#include <SupportDefs.h>

class BHandler;
class PlaylistData;
class PlaylistPtr;

class PrivatePlaylist {
public:
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

protected:
    // Only the player makes playlists; the last PlaylistPtr to let go deletes one.
    PrivatePlaylist();
    virtual ~PrivatePlaylist();

    PlaylistData *fData;

private:
    friend class PlaylistPtr;
    void Acquire();
    void Release();

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

#endif  // BRINDLE_SDK_PRIVATE_PLAYLIST_H
