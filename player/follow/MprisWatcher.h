// The bus side of following an MPRIS player: which players are on the session bus (the
// bus daemon's NameOwnerChanged), which one is followed, and what it shows (its
// PropertiesChanged and TrackList signals, read with asynchronous calls so that replies
// and signals are applied in the order the player sent them).
//
// REQUIRES: everything here runs on the client's bus thread, the only thread that
// touches the connection. Bus errors are reported through the listener, never thrown.
#ifndef BRINDLE_FOLLOW_MPRIS_WATCHER_H
#define BRINDLE_FOLLOW_MPRIS_WATCHER_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "MprisClient.h"

namespace sdbus {
class IConnection;
class IProxy;
class Signal;
}  // namespace sdbus

class TaskQueue;

namespace follow {

class MprisWatcher {
public:
    // `wanted`: the player's name after the MPRIS prefix, or "" for the first one found.
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

    void Next();
    void Previous();
    void GoTo(const std::string &trackId);
    void SetVolume(double volume);

    // The connection failed: the followed player, if any, is gone for us.
    void LoseBus();

private:
    void _NameOwnerChanged(sdbus::Signal &signal);
    void _Reconsider(const std::string &ownerThatLeft);
    void _Follow(const std::string &busName);
    void _Unfollow();
    void _PropertiesChanged(uint64_t generation, sdbus::Signal &signal);
    void _FetchPlayer();
    void _FetchTracks();
    void _Announce(unsigned changes);
    void _Call(const char *interface, const char *method, const std::string &trackId);

    sdbus::IConnection &fBus;
    TaskQueue &fLater;
    const std::string fWanted;  // a full bus name, or ""
    MprisListener *const fListener;
    std::unique_ptr<sdbus::IProxy> fBusDaemon;
    std::map<std::string, std::string> fOwners;  // MPRIS bus name -> unique owner

    // The followed player. fGeneration counts the players followed, so a reply or signal
    // meant for an earlier one is dropped; fTracksAsked counts track list reads, so only
    // the latest one's answer is kept.
    std::string fOwner;
    std::unique_ptr<sdbus::IProxy> fPlayer;
    uint64_t fGeneration = 0;
    uint64_t fTracksAsked = 0;
    bool fAnnounced = false;
    MprisState fState;
};

}  // namespace follow

#endif  // BRINDLE_FOLLOW_MPRIS_WATCHER_H
