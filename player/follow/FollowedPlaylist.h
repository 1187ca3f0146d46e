// Playlist 0 while the player follows an MPRIS player: what it holds is that player's
// (its tracks, or its current track alone when it has no track list), and what is asked
// of it goes to that player: Step calls Next or Previous, SetCurrent calls GoTo. The
// change shows when the player reports it, as for a change the person made there.
//
// Threads: Show, Detach and the overrides run on the player's thread; the
// contract's operations stay safe from any thread.
#ifndef BRINDLE_PLAYER_FOLLOWED_PLAYLIST_H
#define BRINDLE_PLAYER_FOLLOWED_PLAYLIST_H

#include <functional>
#include <string>
#include <vector>

#include "MprisClient.h"
#include "Playlist.h"

class FollowedPlaylist : public Playlist {
public:
    // `client` carries out the requests until Detach(); `volumeSet` is told of every
    // SetVolume (on the caller's thread: it must only queue the work).
    FollowedPlaylist(follow::MprisClient *client, std::function<void(float)> volumeSet);

    // Takes the player's tracks and current track. Sends MSG_PLAYLIST_CURRENT when the
    // current item (its position or its file) changed and `notify` is set. A file whose
    // name holds a control character is refused (no item, no current item): false when
    // the current track was refused so.
    bool Show(const follow::MprisState &state, bool notify);
    // The client is going: requests are dropped from now on.
    void Detach() { fClient = nullptr; }
    // The followed player's name, as --follow takes it.
    const std::string &PlayerName() const { return fPlayerName; }

    int32 AddItem(const char *path) override;
    status_t SetCurrent(int32 index) override;
    void Step(int32 delta) override;
    bool FollowsAPlayer() const override { return true; }

private:
    follow::MprisClient *fClient;
    std::string fPlayerName;
    bool fHasTrackList = false;
    std::vector<std::string> fTrackIds;  // the items' track ids, with a track list
};

#endif  // BRINDLE_PLAYER_FOLLOWED_PLAYLIST_H
