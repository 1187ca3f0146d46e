#include "PlayerController.h"

#include <algorithm>
#include <cstdint>

#include "ControllerData.h"
#include "ListenerList.h"
#include "Playlist.h"
#include <PluginInterface.h>

PlayerController::PlayerController(std::function<void(const char *)> disable)
    : SoundPlayController(new ControllerData) {
    fData->disable = std::move(disable);
}

PlayerController::~PlayerController() = default;

PlaylistPtr PlayerController::OpenPlaylist() {
    PlaylistPtr playlist(new Playlist);
    OpenPlaylist(playlist);
    return playlist;
}

void PlayerController::OpenPlaylist(const PlaylistPtr &playlist) {
    OpenPlaylistAt(playlist, INT32_MAX);
}

void PlayerController::OpenPlaylistAt(const PlaylistPtr &playlist, int32 index) {
    ListenerList::Snapshot_t listeners;
    {
        std::lock_guard<std::recursive_mutex> lock(fData->lock);
        const size_t at = std::min<size_t>(std::max<int32>(index, 0), fData->playlists.size());
        fData->playlists.insert(fData->playlists.begin() + at, playlist);
        listeners = fData->listeners.Snapshot();
    }
    ListenerList::Send(listeners, MSG_CONTROLS_ADDED);
}

status_t PlayerController::ClosePlaylist(int32 index) {
    PlaylistPtr playlist;
    {
        std::lock_guard<std::recursive_mutex> lock(fData->lock);
        if (index < 0 || static_cast<size_t>(index) >= fData->playlists.size())
            return B_BAD_INDEX;
        playlist = fData->playlists[index];
        fData->playlists.erase(fData->playlists.begin() + index);
    }
    AsPlayerPlaylist(playlist)->NotifyLostControls();
    return B_OK;
}

void PlayerController::CloseAllPlaylists() {
    std::vector<PlaylistPtr> playlists;
    {
        std::lock_guard<std::recursive_mutex> lock(fData->lock);
        playlists.swap(fData->playlists);
    }
    // The handles go here, outside the lock: a playlist's last release deletes it.
}
