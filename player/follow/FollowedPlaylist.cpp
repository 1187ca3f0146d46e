#include "FollowedPlaylist.h"

#include <cstdio>
#include <cstring>

#include "MprisNames.h"
#include "PlaylistData.h"

namespace {

// The file a track's URL names; "" for none, or for one refused (`refused` set).
std::string path_of(const std::string &url, bool *refused = nullptr) {
    std::string path;
    if (!follow::local_path_from_url(url, &path))
        return std::string();
    if (follow::holds_control_character(path)) {
        if (refused != nullptr)
            *refused = true;
        return std::string();
    }
    return path;
}

}  // namespace

FollowedPlaylist::FollowedPlaylist(follow::MprisClient *client,
                                   std::function<void(float)> volumeSet)
    : fClient(client) {
    fData->SetVolumeObserver(std::move(volumeSet));
}

bool FollowedPlaylist::Show(const follow::MprisState &state, bool notify) {
    const std::string prefix = follow::kMprisPrefix;
    fPlayerName = state.busName.compare(0, prefix.size(), prefix) == 0
                      ? state.busName.substr(prefix.size())
                      : state.busName;
    fHasTrackList = state.hasTrackList;
    bool refused = false;
    const std::string currentPath = path_of(state.current.url, &refused);

    std::vector<std::string> paths;
    std::vector<std::string> ids;
    int32 current = -1;
    if (state.hasTrackList) {
        for (const follow::MprisTrack &track : *state.tracks) {
            if (!state.current.id.empty() && track.id == state.current.id)
                current = static_cast<int32>(paths.size());
            paths.push_back(path_of(track.url));
            ids.push_back(track.id);
        }
        // A current track the list does not hold yet (its update is on the way) is shown
        // after the others until then.
        if (current < 0 && !currentPath.empty()) {
            current = static_cast<int32>(paths.size());
            paths.push_back(currentPath);
            ids.push_back(state.current.id);
        }
    } else if (!currentPath.empty()) {
        paths.push_back(currentPath);
        ids.push_back(state.current.id);
        current = 0;
    }
    // A stream, or no URL at all: no current item.
    if (currentPath.empty())
        current = -1;

    const bool changed = fData->ReplaceItems(paths, current);
    fTrackIds = ids;
    if (changed && notify)
        NotifyCurrent();
    return !refused;
}

int32 FollowedPlaylist::AddItem(const char *path) {
    fprintf(stderr, "brindle-player: not added: playlist 0 follows %s; add %s there\n",
            fPlayerName.c_str(), path != nullptr ? path : "the file");
    return -1;
}

status_t FollowedPlaylist::SetCurrent(int32 index) {
    if (!fHasTrackList)
        return B_NOT_ALLOWED;
    if (index < 0 || static_cast<size_t>(index) >= fTrackIds.size() || fTrackIds[index].empty())
        return B_BAD_INDEX;
    if (fClient != nullptr)
        fClient->GoTo(fTrackIds[index]);
    return B_OK;
}

void FollowedPlaylist::Step(int32 delta) {
    if (fClient == nullptr || delta == 0)
        return;
    if (delta > 0)
        fClient->Next();
    else
        fClient->Previous();
}
