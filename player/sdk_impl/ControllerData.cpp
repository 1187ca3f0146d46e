#include "ControllerData.h"

#include <algorithm>

typedef brindle::RecursiveMutexLock Hold;

int32 ControllerData::CountPlaylists() const {
    Hold hold(fLock);
    return static_cast<int32>(fPlaylists.size());
}

PlaylistPtr ControllerData::PlaylistAt(uint32 index) const {
    Hold hold(fLock);
    if (index >= fPlaylists.size())
        return PlaylistPtr();
    return fPlaylists[index];
}

void ControllerData::InsertPlaylist(const PlaylistPtr &playlist, int32 index) {
    Hold hold(fLock);
    const size_t at = std::min<size_t>(std::max<int32>(index, 0), fPlaylists.size());
    fPlaylists.insert(fPlaylists.begin() + at, playlist);
}

PlaylistPtr ControllerData::RemovePlaylist(int32 index) {
    Hold hold(fLock);
    if (index < 0 || static_cast<size_t>(index) >= fPlaylists.size())
        return PlaylistPtr();
    PlaylistPtr playlist = fPlaylists[index];
    fPlaylists.erase(fPlaylists.begin() + index);
    return playlist;
}

std::vector<PlaylistPtr> ControllerData::RemoveAll() {
    std::vector<PlaylistPtr> playlists;
    Hold hold(fLock);
    playlists.swap(fPlaylists);
    return playlists;
}

bool ControllerData::Disable(const char *id) const {
    if (!fDisable)
        return false;
    fDisable(id);
    return true;
}
