// The contract's playlist operations, as add-ons call them, and the counted handle.
#include <PrivatePlaylist.h>

#include "PlaylistData.h"

PrivatePlaylist::PrivatePlaylist() : fData(new PlaylistData), fReferences(0) {}

PrivatePlaylist::~PrivatePlaylist() {
    delete fData;
}

// The add-on holds the lock between these two calls, outside anything the analysis sees.
bool PrivatePlaylist::Lock() NO_THREAD_SAFETY_ANALYSIS {
    fData->Lock();
    return true;
}

void PrivatePlaylist::Unlock() NO_THREAD_SAFETY_ANALYSIS {
    fData->Unlock();
}

status_t PrivatePlaylist::AddListener(BHandler *handler) {
    return fData->Listeners().Add(handler);
}

status_t PrivatePlaylist::RemoveListener(BHandler *handler) {
    return fData->Listeners().Remove(handler);
}

int32 PrivatePlaylist::CurrentIndex() {
    return fData->CurrentIndex();
}

int32 PrivatePlaylist::CountItems() {
    return fData->CountItems();
}

int32 PrivatePlaylist::IDForItemAt(int32 index) {
    return fData->IDForItemAt(index);
}

const char *PrivatePlaylist::PathForItem(int32 id) {
    return fData->PathForItem(id);
}

float PrivatePlaylist::Volume() {
    return fData->Volume();
}

void PrivatePlaylist::SetVolume(float volume) {
    fData->SetVolume(volume);
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
