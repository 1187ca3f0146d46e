// --follow: playlist 0 mirrors an MPRIS player on the session bus. The bus side lives in
// the module brindle-follow.so, loaded here and only here; this side maps what it
// reports onto the contract add-ons speak, on the player's own thread:
//   the player appears       -> a FollowedPlaylist opens as playlist 0 (MSG_CONTROLS_ADDED)
//   another one takes over   -> the same playlist shows its track (MSG_PLAYLIST_CURRENT)
//   it leaves or quits       -> that playlist leaves the controller (MSG_PLAYLIST_LOST_CONTROLS)
//   its track changes        -> the current item changes (MSG_PLAYLIST_CURRENT)
//   the playlist's volume is set (an add-on, the volume command) -> Brindle's adjustment
//     of its Volume: the playlist's volume less 1.0, on top of the person's own volume,
//     which the module keeps apart (so the playlist reads 1.0 plus the adjustment)
//
// Threads. The module calls PlayerChanged and Report on its bus thread; they only post
// the work to the player's task queue, where only the latest state waits to be applied,
// however fast the player changes. Everything else runs on the player's thread.
#ifndef BRINDLE_PLAYER_FOLLOWER_H
#define BRINDLE_PLAYER_FOLLOWER_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <Mutex.h>
#include <PrivatePlaylist.h>

#include "MprisClient.h"
#include "Status.h"

class FollowedPlaylist;
class FollowHost;

class Follower : public follow::MprisListener {
public:
    explicit Follower(FollowHost &host);
    ~Follower() override;
    Follower(const Follower &) = delete;
    Follower &operator=(const Follower &) = delete;

    // Loads the module and starts following `name` (in any case, with or without the MPRIS
    // prefix; "" for the one playing), or a failure saying why: the module cannot be loaded, or
    // there is no session bus.
    Status Start(const std::string &name);
    // Stops the module's thread: nothing is posted after this returns. The followed
    // playlist stays where it is (the player is ending).
    void Stop();

    // Any thread: what following is doing, in the person's words for the player's
    // window: "waiting for NAME" ("waiting for a player" without a name), "following
    // NAME", "NAME has quit"; "" before Start().
    std::string Words() const EXCLUDES(fWordsLock);

    // follow::MprisListener, on the bus thread.
    void PlayerChanged(const follow::MprisState &state, unsigned changes) override
        EXCLUDES(fPendingLock);
    void Report(const std::string &line) override;

private:
    struct Change {
        follow::MprisState state;
        unsigned changes;
    };

    void _ApplyPending() EXCLUDES(fPendingLock);
    void _Apply(const follow::MprisState &state, unsigned changes);
    void _Appeared(const follow::MprisState &state);
    void _TookOver(const follow::MprisState &state);
    void _Show(const follow::MprisState &state, bool notify);
    void _Left();
    void _VolumeFromPlaylist(float volume);
    void _SetWords(const std::string &words) EXCLUDES(fWordsLock);

    FollowHost &fHost;
    std::unique_ptr<follow::MprisClient> fClient;
    PlaylistPtr fPlaylist;                  // the followed player's playlist while it is there
    FollowedPlaylist *fFollowed = nullptr;  // the same, as what it is
    uint64_t fGeneration = 0;               // counts the playlists opened and closed
    std::string fFollowedName;              // the followed player's name (after the MPRIS prefix)

    // Changes from the bus thread not applied yet: at most a leave and an arrival, each
    // with the latest state after it merged in.
    brindle::Mutex fPendingLock;
    std::vector<Change> fPending GUARDED_BY(fPendingLock);

    mutable brindle::Mutex fWordsLock;
    std::string fWords GUARDED_BY(fWordsLock);
};

#endif  // BRINDLE_PLAYER_FOLLOWER_H
