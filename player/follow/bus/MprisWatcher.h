// The bus side of following an MPRIS player: which players are on the session bus (the
// bus daemon's NameOwnerChanged) and which of them plays (their PlaybackStatus), which one
// is followed, and what it shows (its PropertiesChanged and TrackList signals, read with
// asynchronous calls so that replies and signals are applied in the order the player sent
// them).
//
// Its volume is the person's plus Brindle's adjustment (PersonVolume). A player is read
// with asynchronous calls only, and its track list only when it says it has one, so a
// player that leaves a call unanswered holds up nothing.
//
// Which one: the one playing; of two playing, the one that started last, though one
// playing no file (a web browser, a stream) never takes over from one playing a file.
// When none plays the followed one stays; when it leaves, the one that played last
// takes its place, else the one that appeared last. Only players that have said whether
// they play are chosen, as their answers come: one that never answers holds up nothing.
//
// REQUIRES: everything here runs on the client's bus thread, the one that constructs it and
// the only thread that touches the connection; the public functions check it (fOnBus) in
// debug builds. Bus errors are reported through the listener, never thrown.
#ifndef BRINDLE_FOLLOW_MPRIS_WATCHER_H
#define BRINDLE_FOLLOW_MPRIS_WATCHER_H

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <ThreadRole.h>

#include "MprisClient.h"
#include "PersonVolume.h"

namespace sdbus {
class Error;
class IConnection;
class IProxy;
class Signal;
class Variant;
}  // namespace sdbus

class TaskQueue;

namespace follow {

class MprisWatcher {
public:
    // `wanted`: the player's name after the MPRIS prefix, in any case (its second copies,
    // NAME.instanceN, count as it), or "" for any player.
    // `later` runs work after the bus's dispatch returns, on the same thread: bus calls
    // are not made from inside a signal or reply handler.
    MprisWatcher(sdbus::IConnection &bus, TaskQueue &later, const std::string &wanted,
                 MprisListener *listener);
    ~MprisWatcher();
    MprisWatcher(const MprisWatcher &) = delete;
    MprisWatcher &operator=(const MprisWatcher &) = delete;

    // Subscribes to the bus's name changes and follows a player already there. False
    // with `error` set when the bus daemon does not answer.
    bool Start(std::string *error);

    // Which player to follow is chosen here, from the latest states, at most every
    // kChoiceInterval however many signals changed them; the event loop calls Tick() after
    // each message and sleeps no longer than TickTimeout() (-1: nothing waits).
    void Tick();
    int TickTimeout() const;

    void Next();
    void Previous();
    void GoTo(const std::string &trackId);
    void SetAdjustment(double adjustment);

    // Brindle is quitting: the followed player gets the person's volume back.
    void Leave();
    // The connection failed: the followed player, if any, is gone for us.
    void LoseBus();

private:
    typedef std::chrono::steady_clock Clock;

    // What is known of a connection holding MPRIS names: one proxy per connection, as
    // VLC holds two names. Following one uses its proxy: no bus round trip on a takeover.
    struct Seen {
        std::unique_ptr<sdbus::IProxy> proxy;
        bool known = false;      // its PlaybackStatus has been read (or could not be): choosable
        bool playing = false;    // PlaybackStatus "Playing"
        bool playsFile = false;  // its track has a file:// URL
        uint64_t startedAt = 0;  // when it last started playing (fClock); 0: never seen to
        uint64_t appearedAt = 0;
    };

    void _NameOwnerChanged(sdbus::Signal &signal) REQUIRES(fOnBus);
    bool _Wanted(const std::string &busName) const;
    // The short name of one of the names `owner` holds, for the person; else `owner`.
    std::string _NameOf(const std::string &owner) const REQUIRES(fOnBus);
    void _Watch(const std::string &owner) REQUIRES(fOnBus);
    void _Signal(const std::string &owner, sdbus::Signal &signal) REQUIRES(fOnBus);
    void _Seen(const std::string &owner, const std::map<std::string, sdbus::Variant> &properties)
        REQUIRES(fOnBus);
    void _Choose() REQUIRES(fOnBus);
    std::string _Choice() const REQUIRES(fOnBus);
    void _Follow(const std::string &busName) REQUIRES(fOnBus);
    void _Unfollow(bool announce, bool giveBack) REQUIRES(fOnBus);
    // Posts `work` to run after the dispatch unless it is posted already: a flood of
    // signals queues it once.
    void _Soon(bool *posted, void (MprisWatcher::*work)()) REQUIRES(fOnBus);
    void _PropertiesChanged(const std::map<std::string, sdbus::Variant> &changed,
                            const std::vector<std::string> &invalidated) REQUIRES(fOnBus);
    // What a signal or a read changed (MprisChange bits, and the Volume it sent).
    void _Changed(unsigned changes, double volume) REQUIRES(fOnBus);
    void _FetchPlayer() REQUIRES(fOnBus);
    void _Fetched() REQUIRES(fOnBus);
    void _FetchTracks() REQUIRES(fOnBus);
    // Reads one property of the followed player; `done` runs with the answer unless
    // another player is followed by then.
    typedef std::function<void(const sdbus::Error *, sdbus::Variant &)> GetDone;
    void _Get(const char *interface, const char *name, const GetDone &done) REQUIRES(fOnBus);
    void _AskVolume() REQUIRES(fOnBus);
    void _SendVolume(double volume) REQUIRES(fOnBus);
    // Says once per player that it sent a volume that was refused; returns `changes`
    // without saying so.
    unsigned _SayRefused(unsigned changes) REQUIRES(fOnBus);
    void _Announce(unsigned changes) REQUIRES(fOnBus);
    void _Call(const char *interface, const char *method, const std::string &trackId)
        REQUIRES(fOnBus);

    // Everything below is the bus thread's, the one that made this watcher: a callback the
    // bus or the queue runs later says so (AssertHeld) where the analysis cannot follow.
    brindle::ThreadRole fOnBus;
    sdbus::IConnection &fBus;
    TaskQueue &fLater;
    const std::string fWanted;  // a full bus name, or ""
    MprisListener *const fListener;
    std::unique_ptr<sdbus::IProxy> fBusDaemon GUARDED_BY(fOnBus);
    std::map<std::string, std::string> fOwners GUARDED_BY(fOnBus);  // MPRIS bus name -> owner
    std::map<std::string, Seen> fSeen GUARDED_BY(fOnBus);           // unique owner -> what it does
    // Owners that released a name: never chosen again.
    std::set<std::string> fLeaving GUARDED_BY(fOnBus);
    uint64_t fClock GUARDED_BY(fOnBus) = 0;
    bool fPlayerPosted GUARDED_BY(fOnBus) = false;
    bool fTracksPosted GUARDED_BY(fOnBus) = false;
    bool fChoiceDue GUARDED_BY(fOnBus) = false;
    Clock::time_point fLastChoice GUARDED_BY(fOnBus);

    // The followed player. fGeneration counts the players followed, so a reply meant for
    // an earlier one is dropped; fTracksAsked counts track list reads, so only the latest
    // one's answer is kept.
    std::string fOwner GUARDED_BY(fOnBus);
    sdbus::IProxy *fPlayer GUARDED_BY(fOnBus) = nullptr;  // its connection's proxy, in fSeen
    uint64_t fGeneration GUARDED_BY(fOnBus) = 0;
    uint64_t fTracksAsked GUARDED_BY(fOnBus) = 0;
    int fFetching GUARDED_BY(fOnBus) = 0;  // answers still due before it is announced
    bool fAnnounced GUARDED_BY(fOnBus) = false;
    bool fVolumeRefusedSaid GUARDED_BY(fOnBus) = false;
    bool fVolumeKnown GUARDED_BY(fOnBus) = false;  // the first read gave a usable Volume
    double fVolumeRead GUARDED_BY(fOnBus) = 1.0;
    MprisState fState GUARDED_BY(fOnBus);
    PersonVolume fVolume GUARDED_BY(fOnBus);
};

}  // namespace follow

#endif  // BRINDLE_FOLLOW_MPRIS_WATCHER_H
