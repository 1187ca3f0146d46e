#include "PlayerController.h"

#include <cstdint>
#include <string>

#include "ControllerData.h"
#include "ListenerList.h"
#include "Playlist.h"
#include <PluginInterface.h>

PlayerController::PlayerController(std::function<void(const char *)> disable)
    : SoundPlayController(new ControllerData(std::move(disable))) {}

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
    fData->InsertPlaylist(playlist, index);
    ListenerList::Send(fData->Listeners().Snapshot(), MSG_CONTROLS_ADDED);
}

Status PlayerController::ClosePlaylist(int32 index) {
    PlaylistPtr playlist = fData->RemovePlaylist(index);
    if (!playlist) {
        return Status(B_BAD_INDEX, "no playlist " + std::to_string(index) + " (" +
                                       std::to_string(CountPlaylists()) + " open)");
    }
    AsPlayerPlaylist(playlist)->NotifyLostControls();
    return Status();
}

void PlayerController::CloseAllPlaylists() {
    // The handles go at the end of this statement, outside the lock: a playlist's last
    // release deletes it.
    fData->RemoveAll();
}
