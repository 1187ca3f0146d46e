#include "PrivatePlaylist.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <string>

#include "ListenerList.h"
#include "PluginInterface.h"

namespace {

struct PlaylistItem {
    int32 id;
    std::string path;
};

}  // namespace

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
};

PrivatePlaylist::PrivatePlaylist() : fData(new PlaylistData), fReferences(0) {}

PrivatePlaylist::~PrivatePlaylist() {
    delete fData;
}

bool PrivatePlaylist::Lock() {
    fData->lock.lock();
    return true;
}

void PrivatePlaylist::Unlock() {
    fData->lock.unlock();
}

status_t PrivatePlaylist::AddListener(BHandler *handler) {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    return fData->listeners.Add(handler);
}

status_t PrivatePlaylist::RemoveListener(BHandler *handler) {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    return fData->listeners.Remove(handler);
}

int32 PrivatePlaylist::CurrentIndex() {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    return fData->current;
}

int32 PrivatePlaylist::CountItems() {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    return static_cast<int32>(fData->items.size());
}

int32 PrivatePlaylist::IDForItemAt(int32 index) {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    if (index < 0 || static_cast<size_t>(index) >= fData->items.size())
        return -1;
    return fData->items[index].id;
}

const char *PrivatePlaylist::PathForItem(int32 id) {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    auto found =
        std::lower_bound(fData->items.begin(), fData->items.end(), id,
                         [](const PlaylistItem &item, int32 wanted) { return item.id < wanted; });
    if (found == fData->items.end() || found->id != id)
        return nullptr;
    return found->path.c_str();
}

float PrivatePlaylist::Volume() {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    return fData->volume;
}

void PrivatePlaylist::SetVolume(float volume) {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    fData->volume = volume;
}

int32 PrivatePlaylist::AddItem(const char *path) {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    const int32 id = fData->nextId++;
    fData->items.push_back(PlaylistItem{id, path != nullptr ? path : ""});
    return id;
}

status_t PrivatePlaylist::SetCurrent(int32 index) {
    {
        std::lock_guard<std::recursive_mutex> lock(fData->lock);
        if (index < -1 || index >= static_cast<int32>(fData->items.size()))
            return B_BAD_INDEX;
        fData->current = index;
    }
    _Notify(MSG_PLAYLIST_CURRENT);
    return B_OK;
}

void PrivatePlaylist::Step(int32 delta) {
    {
        std::lock_guard<std::recursive_mutex> lock(fData->lock);
        const int32 last = static_cast<int32>(fData->items.size()) - 1;
        if (last >= 0) {
            const int64 from = fData->current;
            int64 target;
            // From no current item only a step forward moves: the first step lands on 0.
            if (from < 0)
                target = delta > 0 ? std::min<int64>(delta - 1, last) : -1;
            else
                target = std::clamp<int64>(from + delta, 0, last);
            fData->current = static_cast<int32>(target);
        }
    }
    _Notify(MSG_PLAYLIST_CURRENT);
}

void PrivatePlaylist::NotifyCurrent() {
    _Notify(MSG_PLAYLIST_CURRENT);
}

void PrivatePlaylist::NotifyLostControls() {
    _Notify(MSG_PLAYLIST_LOST_CONTROLS);
}

void PrivatePlaylist::_Notify(uint32 what) {
    ListenerList::Snapshot_t listeners;
    {
        std::lock_guard<std::recursive_mutex> lock(fData->lock);
        listeners = fData->listeners.Snapshot();
    }
    ListenerList::Send(listeners, what);
}

void PrivatePlaylist::Acquire() {
    atomic_add(&fReferences, 1);
}

void PrivatePlaylist::Release() {
    if (atomic_add(&fReferences, -1) == 1)
        delete this;
}

PlaylistPtr::PlaylistPtr(PrivatePlaylist *playlist) : fPlaylist(playlist) {
    if (fPlaylist != nullptr)
        fPlaylist->Acquire();
}

PlaylistPtr::PlaylistPtr(const PlaylistPtr &other) : fPlaylist(other.fPlaylist) {
    if (fPlaylist != nullptr)
        fPlaylist->Acquire();
}

PlaylistPtr::~PlaylistPtr() {
    if (fPlaylist != nullptr)
        fPlaylist->Release();
}

PlaylistPtr &PlaylistPtr::operator=(const PlaylistPtr &other) {
    // Acquire first: assigning a handle to itself must not delete the playlist.
    if (other.fPlaylist != nullptr)
        other.fPlaylist->Acquire();
    if (fPlaylist != nullptr)
        fPlaylist->Release();
    fPlaylist = other.fPlaylist;
    return *this;
}
