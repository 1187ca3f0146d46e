// The contract's playlist operations, as add-ons call them, and the counted handle.
#include <PrivatePlaylist.h>

#include <algorithm>

#include "PlaylistData.h"

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
    {
        std::lock_guard<std::recursive_mutex> lock(fData->lock);
        fData->volume = volume;
    }
    if (fData->volumeSet)
        fData->volumeSet(volume);
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
