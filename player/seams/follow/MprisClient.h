// The seam between the player and the MPRIS client module (brindle-follow.so), which the
// player loads only with --follow so that no D-Bus library is loaded without it. Only
// plain values cross it: no bus type appears here.
//
// Threads. The client runs one thread of its own and makes every bus call on it; the
// bus library is used by no other thread. Its listener is called on that thread and must
// only hand the values on (the player posts them to its task queue). The requests below
// may be called from any thread; they queue the call and return at once, never waiting
// for the bus.
#ifndef BRINDLE_PLAYER_MPRIS_CLIENT_H
#define BRINDLE_PLAYER_MPRIS_CLIENT_H

#include <memory>
#include <string>
#include <vector>

namespace follow {

constexpr const char *kMprisPrefix = "org.mpris.MediaPlayer2.";

struct MprisTrack {
    std::string id;   // "mpris:trackid", an object path; "" when the player gives none
    std::string url;  // "xesam:url"; "" when the player gives none
};

// What the followed player shows.
struct MprisState {
    std::string busName;  // org.mpris.MediaPlayer2.NAME
    MprisTrack current;
    bool hasTrackList = false;  // it answers the TrackList interface
    // Its tracks, in order, when it has a track list; shared, so that a copy of the state
    // (one per change, and a player may send thousands a second) never copies the list.
    std::shared_ptr<const std::vector<MprisTrack>> tracks =
        std::make_shared<const std::vector<MprisTrack>>();
};

// Which parts of the state a change touched.
enum MprisChange : unsigned {
    // A player is followed now; the whole state is new. Without kLeft before it, it took
    // over from the one followed until now, which is still there.
    kAppeared = 1u << 0,
    kLeft = 1u << 1,  // it left the bus or quit; the state is empty
    kCurrent = 1u << 2,
    kTracks = 1u << 3,
};

class MprisListener {
public:
    virtual ~MprisListener() = default;
    // The followed player's state after a change (`changes`: MprisChange bits).
    virtual void PlayerChanged(const MprisState &state, unsigned changes) = 0;
    // A line for the person: a player that is not there yet, a call the player refused.
    virtual void Report(const std::string &line) = 0;
};

class MprisClient {
public:
    // Stops the client's thread; the listener is not called once this returns.
    virtual ~MprisClient() = default;

    virtual void Next() = 0;
    virtual void Previous() = 0;
    // Makes the track with this id current (TrackList.GoTo).
    virtual void GoTo(const std::string &trackId) = 0;
    // Brindle's adjustment of the followed player's volume (the playlist's volume - 1.0):
    // the player is sent the person's own volume plus this, within what it takes. The
    // person's volume stays theirs: it is given back when following ends.
    virtual void SetAdjustment(double adjustment) = 0;
};

// The module's entry point (C linkage, looked up by name): follows the MPRIS player
// `name` ("mpv", "vlc", in any case; a second copy of it, "mpv.instance1234", counts as
// it) on the session bus, or with "" the one playing. Null with `error` set when there is no
// session bus.
typedef MprisClient *(*StartFunction)(const char *name, MprisListener *listener,
                                      std::string *error);
constexpr const char *kStartSymbol = "brindle_follow_start";

}  // namespace follow

#endif  // BRINDLE_PLAYER_MPRIS_CLIENT_H
