#include "SoundPlayController.h"

#include <mutex>
#include <vector>

#include "ListenerList.h"
#include "Player.h"
#include "PluginInterface.h"

class ControllerData {
public:
    std::recursive_mutex lock;
    std::vector<PlaylistPtr> playlists;
    ListenerList listeners;
};

SoundPlayController::SoundPlayController(Player *player)
    : fPlayer(player), fData(new ControllerData) {}

SoundPlayController::~SoundPlayController() {
    delete fData;
}

bool SoundPlayController::Lock() {
    fData->lock.lock();
    return true;
}

void SoundPlayController::Unlock() {
    fData->lock.unlock();
}

status_t SoundPlayController::AddListener(BHandler *handler) {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    return fData->listeners.Add(handler);
}

status_t SoundPlayController::RemoveListener(BHandler *handler) {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    return fData->listeners.Remove(handler);
}

int32 SoundPlayController::CountPlaylists() {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    return static_cast<int32>(fData->playlists.size());
}

PlaylistPtr SoundPlayController::PlaylistAt(uint32 index) {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    if (index >= fData->playlists.size())
        return PlaylistPtr();
    return fData->playlists[index];
}

status_t SoundPlayController::DisableInterface(const char *id) {
    if (id == nullptr)
        return B_BAD_VALUE;
    if (fPlayer == nullptr)
        return B_NO_INIT;
    fPlayer->RequestDisable(id);
    return B_OK;
}

PlaylistPtr SoundPlayController::OpenPlaylist() {
    PlaylistPtr playlist(new PrivatePlaylist);
    OpenPlaylist(playlist);
    return playlist;
}

void SoundPlayController::OpenPlaylist(const PlaylistPtr &playlist) {
    ListenerList::Snapshot_t listeners;
    {
        std::lock_guard<std::recursive_mutex> lock(fData->lock);
        fData->playlists.push_back(playlist);
        listeners = fData->listeners.Snapshot();
    }
    ListenerList::Send(listeners, MSG_CONTROLS_ADDED);
}

status_t SoundPlayController::ClosePlaylist(int32 index) {
    PlaylistPtr playlist;
    {
        std::lock_guard<std::recursive_mutex> lock(fData->lock);
        if (index < 0 || static_cast<size_t>(index) >= fData->playlists.size())
            return B_BAD_INDEX;
        playlist = fData->playlists[index];
        fData->playlists.erase(fData->playlists.begin() + index);
    }
    playlist->NotifyLostControls();
    return B_OK;
}

void SoundPlayController::CloseAllPlaylists() {
    std::vector<PlaylistPtr> playlists;
    {
        std::lock_guard<std::recursive_mutex> lock(fData->lock);
        playlists.swap(fData->playlists);
    }
    // The handles go here, outside the lock: a playlist's last release deletes it.
}
