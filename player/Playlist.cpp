#include "Playlist.h"

#include <algorithm>

#include "PlaylistData.h"
#include <PluginInterface.h>

int32 Playlist::AddItem(const char *path) {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    const int32 id = fData->nextId++;
    fData->items.push_back(PlaylistItem{id, path != nullptr ? path : ""});
    return id;
}

status_t Playlist::SetCurrent(int32 index) {
    {
        std::lock_guard<std::recursive_mutex> lock(fData->lock);
        if (index < -1 || index >= static_cast<int32>(fData->items.size()))
            return B_BAD_INDEX;
        fData->current = index;
    }
    _Notify(MSG_PLAYLIST_CURRENT);
    return B_OK;
}

void Playlist::Step(int32 delta) {
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

void Playlist::NotifyCurrent() {
    _Notify(MSG_PLAYLIST_CURRENT);
}

void Playlist::NotifyLostControls() {
    _Notify(MSG_PLAYLIST_LOST_CONTROLS);
}

void Playlist::_Notify(uint32 what) {
    ListenerList::Snapshot_t listeners;
    {
        std::lock_guard<std::recursive_mutex> lock(fData->lock);
        listeners = fData->listeners.Snapshot();
    }
    ListenerList::Send(listeners, what);
}
