#include "MprisWatcher.h"

#include <sdbus-c++/sdbus-c++.h>

#include <strings.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "TaskQueue.h"

namespace follow {

namespace {

const char *const kBusDaemon = "org.freedesktop.DBus";
const char *const kBusDaemonPath = "/org/freedesktop/DBus";
const char *const kPlayerPath = "/org/mpris/MediaPlayer2";
const char *const kRootInterface = "org.mpris.MediaPlayer2";
const char *const kPlayerInterface = "org.mpris.MediaPlayer2.Player";
const char *const kTrackListInterface = "org.mpris.MediaPlayer2.TrackList";
const char *const kPropertiesInterface = "org.freedesktop.DBus.Properties";

// A player that does not answer within this is reported; nothing waits for it meanwhile.
constexpr std::chrono::seconds kCallTimeout(10);
// The player followed is chosen at most this often, from the states as they are then.
constexpr std::chrono::milliseconds kChoiceInterval(100);

typedef std::map<std::string, sdbus::Variant> Properties;

bool starts_with(const std::string &text, const std::string &prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Values of the type MPRIS gives them; anything else counts as absent. Some
// players send the track id as a string rather than an object path.
bool read_string(const sdbus::Variant &value, std::string *text) {
    if (value.containsValueOfType<std::string>()) {
        *text = value.get<std::string>();
        return true;
    }
    if (value.containsValueOfType<sdbus::ObjectPath>()) {
        *text = value.get<sdbus::ObjectPath>();
        return true;
    }
    return false;
}

MprisTrack read_track(const Properties &metadata) {
    MprisTrack track;
    auto id = metadata.find("mpris:trackid");
    if (id != metadata.end())
        read_string(id->second, &track.id);
    auto url = metadata.find("xesam:url");
    if (url != metadata.end() && url->second.containsValueOfType<std::string>())
        track.url = url->second.get<std::string>();
    return track;
}

bool holds_track(const std::vector<MprisTrack> &tracks, const std::string &id) {
    for (const MprisTrack &track : tracks) {
        if (track.id == id)
            return true;
    }
    return false;
}

bool same_track(const MprisTrack &a, const MprisTrack &b) {
    return a.id == b.id && a.url == b.url;
}

// Not an MprisChange: the player sent a volume that was refused.
constexpr unsigned kVolumeRefused = 1u << 31;
// Not an MprisChange: the player sent a usable volume, in `*volume`.
constexpr unsigned kVolumeSent = 1u << 30;

// Reads what the Player interface's properties say into `state` and `*volume`; returns
// the MprisChange bits of what changed, kVolumeSent and kVolumeRefused.
unsigned apply_player_properties(const Properties &properties, MprisState *state, double *volume) {
    unsigned changes = 0;
    auto metadata = properties.find("Metadata");
    if (metadata != properties.end()) {
        MprisTrack track;
        if (metadata->second.containsValueOfType<Properties>())
            track = read_track(metadata->second.get<Properties>());
        if (!same_track(track, state->current)) {
            state->current = track;
            changes |= kCurrent;
        }
    }
    auto found = properties.find("Volume");
    if (found != properties.end() && found->second.containsValueOfType<double>()) {
        const double value = found->second.get<double>();
        // A volume that is not a number, infinite or below 0 is refused here: it would
        // come back in a Set.
        if (!std::isfinite(value) || value < 0) {
            changes |= kVolumeRefused;
        } else {
            *volume = value;
            changes |= kVolumeSent;
        }
    }
    return changes;
}

bool is_file_url(const std::string &url) {
    return strncasecmp(url.c_str(), "file://", 7) == 0;
}

std::string short_name(const std::string &busName) {
    return starts_with(busName, kMprisPrefix) ? busName.substr(strlen(kMprisPrefix)) : busName;
}

}  // namespace

MprisWatcher::MprisWatcher(sdbus::IConnection &bus, TaskQueue &later, const std::string &wanted,
                           MprisListener *listener)
    : fBus(bus),
      fLater(later),
      fWanted(wanted.empty() ? std::string() : kMprisPrefix + wanted),
      fListener(listener),
      fVolume(
          [this](double volume) {
              fOnBus.AssertHeld();
              _SendVolume(volume);
          },
          [this] {
              fOnBus.AssertHeld();
              _AskVolume();
          }) {
    fOnBus.Bind();
}

MprisWatcher::~MprisWatcher() = default;

bool MprisWatcher::Start(std::string *error) {
    fOnBus.AssertHeld();
    try {
        fBusDaemon = sdbus::createProxy(fBus, kBusDaemon, kBusDaemonPath);
        fBusDaemon->registerSignalHandler(kBusDaemon, "NameOwnerChanged",
                                          [this](sdbus::Signal &signal) {
                                              fOnBus.AssertHeld();
                                              _NameOwnerChanged(signal);
                                          });
        fBusDaemon->finishRegistration();
        // Subscribed first, listed second: a player that comes meanwhile is seen by one
        // or the other, and both only ever set a name's present owner. The bus daemon
        // answers these itself; no player is asked anything here.
        std::vector<std::string> names;
        fBusDaemon->callMethod("ListNames")
            .onInterface(kBusDaemon)
            .withTimeout(kCallTimeout)
            .storeResultsTo(names);
        for (const std::string &name : names) {
            if (!starts_with(name, kMprisPrefix))
                continue;
            std::string owner;
            try {
                fBusDaemon->callMethod("GetNameOwner")
                    .onInterface(kBusDaemon)
                    .withTimeout(kCallTimeout)
                    .withArguments(name)
                    .storeResultsTo(owner);
            } catch (const sdbus::Error &) {
                continue;  // it left between the two calls
            }
            fOwners[name] = owner;
            if (_Wanted(name))
                _Watch(owner);
        }
    } catch (const sdbus::Error &e) {
        *error = "the session bus does not answer: " + e.getMessage();
        return false;
    }
    // Chosen among the players that have said whether they play, as each answer comes: one
    // that never answers holds up no choice.
    if (fSeen.empty()) {
        fListener->Report(fWanted.empty()
                              ? "no MPRIS player on the session bus yet; waiting for one"
                              : "no MPRIS player \"" + short_name(fWanted) +
                                    "\" on the session bus yet; waiting for it");
    }
    return true;
}

void MprisWatcher::_NameOwnerChanged(sdbus::Signal &signal) {
    std::string name, oldOwner, newOwner;
    try {
        signal >> name >> oldOwner >> newOwner;
    } catch (const sdbus::Error &) {
        return;
    }
    if (!starts_with(name, kMprisPrefix))
        return;
    if (newOwner.empty())
        fOwners.erase(name);
    else
        fOwners[name] = newOwner;
    // A player that leaves may still hold other names (vlc and vlc.instanceN) whose
    // release is on its way.
    if (!oldOwner.empty())
        fLeaving.insert(oldOwner);
    if (!newOwner.empty() && _Wanted(name))
        _Watch(newOwner);
    fChoiceDue = true;
}

std::string MprisWatcher::_NameOf(const std::string &owner) const {
    for (const auto &[name, holder] : fOwners) {
        if (holder == owner)
            return short_name(name);
    }
    return owner;
}

bool MprisWatcher::_Wanted(const std::string &busName) const {
    if (fWanted.empty())
        return true;
    // As people type them: "lollypop" is "Lollypop".
    if (busName.size() < fWanted.size() ||
        strncasecmp(busName.c_str(), fWanted.c_str(), fWanted.size()) != 0)
        return false;
    return busName.size() == fWanted.size() ||
           starts_with(busName.substr(fWanted.size()), ".instance");
}

void MprisWatcher::_Watch(const std::string &owner) {
    if (fSeen.count(owner) != 0)
        return;
    Seen &seen = fSeen[owner];
    seen.appearedAt = ++fClock;
    try {
        // Addressed to the connection, not a name: its signals come from that.
        seen.proxy = sdbus::createProxy(fBus, owner, kPlayerPath);
        seen.proxy->registerSignalHandler(kPropertiesInterface, "PropertiesChanged",
                                          [this, owner](sdbus::Signal &signal) {
                                              fOnBus.AssertHeld();
                                              _Signal(owner, signal);
                                          });
        for (const char *member :
             {"TrackListReplaced", "TrackAdded", "TrackRemoved", "TrackMetadataChanged"}) {
            seen.proxy->registerSignalHandler(
                kTrackListInterface, member, [this, owner](sdbus::Signal &) {
                    fOnBus.AssertHeld();
                    if (fPlayer != nullptr && owner == fOwner && fState.hasTrackList)
                        _Soon(&fTracksPosted, &MprisWatcher::_FetchTracks);
                });
        }
        seen.proxy->finishRegistration();
        seen.proxy->callMethodAsync("GetAll")
            .onInterface(kPropertiesInterface)
            .withTimeout(kCallTimeout)
            .withArguments(std::string(kPlayerInterface))
            .uponReplyInvoke([this, owner](const sdbus::Error *error, Properties properties) {
                fOnBus.AssertHeld();
                auto found = fSeen.find(owner);
                if (found == fSeen.end())
                    return;
                found->second.known = true;
                if (error == nullptr) {
                    _Seen(owner, properties);
                } else {
                    fListener->Report(_NameOf(owner) +
                                      " does not say whether it plays: " + error->getMessage());
                }
                fChoiceDue = true;
            });
    } catch (const sdbus::Error &e) {
        seen.known = true;  // chosen by when it appeared only
        fListener->Report("cannot watch " + owner + ": " + e.getMessage());
    }
}

void MprisWatcher::_Signal(const std::string &owner, sdbus::Signal &signal) {
    std::string interface;
    Properties changed;
    std::vector<std::string> invalidated;
    try {
        signal >> interface >> changed >> invalidated;
    } catch (const sdbus::Error &) {
        return;  // not of the shape MPRIS gives it: no news
    }
    const bool followed = fPlayer != nullptr && owner == fOwner;
    if (interface == kPlayerInterface) {
        _Seen(owner, changed);
        if (followed)
            _PropertiesChanged(changed, invalidated);
    } else if (interface == kTrackListInterface && followed && fState.hasTrackList) {
        _Soon(&fTracksPosted, &MprisWatcher::_FetchTracks);
    }
}

void MprisWatcher::_Seen(const std::string &owner, const Properties &properties) {
    auto found = fSeen.find(owner);
    if (found == fSeen.end())
        return;
    Seen &seen = found->second;
    bool changed = false;
    try {
        auto status = properties.find("PlaybackStatus");
        if (status != properties.end() && status->second.containsValueOfType<std::string>()) {
            const bool playing = status->second.get<std::string>() == "Playing";
            if (playing && !seen.playing)
                seen.startedAt = ++fClock;
            changed |= playing != seen.playing;
            seen.playing = playing;
        }
        auto metadata = properties.find("Metadata");
        if (metadata != properties.end()) {
            bool playsFile = false;
            if (metadata->second.containsValueOfType<Properties>())
                playsFile = is_file_url(read_track(metadata->second.get<Properties>()).url);
            changed |= playsFile != seen.playsFile;
            seen.playsFile = playsFile;
        }
    } catch (const sdbus::Error &) {
        return;  // not of the shape MPRIS gives it: no news
    }
    // Only marked: however fast the players flip, the choice is made at the next tick.
    if (changed && seen.known)
        fChoiceDue = true;
}

void MprisWatcher::Tick() {
    fOnBus.AssertHeld();
    if (!fChoiceDue || Clock::now() - fLastChoice < kChoiceInterval)
        return;
    fChoiceDue = false;
    fLastChoice = Clock::now();
    _Choose();
}

int MprisWatcher::TickTimeout() const {
    fOnBus.AssertHeld();
    if (!fChoiceDue)
        return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        fLastChoice + kChoiceInterval - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) + 1 : 0;
}

std::string MprisWatcher::_Choice() const {
    // Only those that have said whether they play: one that answers later is considered
    // then.
    auto usable = [this](const std::string &owner) {
        fOnBus.AssertHeld();
        auto seen = fSeen.find(owner);
        return fLeaving.count(owner) == 0 && seen != fSeen.end() && seen->second.known;
    };
    // The one playing that started last; one playing a file before one that does not.
    std::string choice;
    const Seen *best = nullptr;
    for (const auto &[name, owner] : fOwners) {
        if (!_Wanted(name) || !usable(owner))
            continue;
        const Seen &seen = fSeen.at(owner);
        if (!seen.playing)
            continue;
        if (best == nullptr || seen.playsFile > best->playsFile ||
            (seen.playsFile == best->playsFile && seen.startedAt > best->startedAt)) {
            best = &seen;
            choice = name;
        }
    }
    if (best != nullptr)
        return choice;
    auto followed = fOwners.find(fState.busName);
    if (fPlayer != nullptr && followed != fOwners.end() && followed->second == fOwner)
        return fState.busName;
    // The one that played last, else the one that appeared last.
    for (const auto &[name, owner] : fOwners) {
        if (!_Wanted(name) || !usable(owner))
            continue;
        const Seen &seen = fSeen.at(owner);
        if (best == nullptr || seen.startedAt > best->startedAt ||
            (seen.startedAt == best->startedAt && seen.appearedAt > best->appearedAt)) {
            best = &seen;
            choice = name;
        }
    }
    return choice;
}

void MprisWatcher::_Choose() {
    // Connections that hold no name any more are gone; the one followed with them.
    for (auto seen = fSeen.begin(); seen != fSeen.end();) {
        bool holds = false;
        for (const auto &entry : fOwners)
            holds = holds || entry.second == seen->first;
        if (!holds && seen->first == fOwner)
            _Unfollow(true, false);
        seen = holds ? std::next(seen) : fSeen.erase(seen);
    }
    for (auto owner = fLeaving.begin(); owner != fLeaving.end();)
        owner = fSeen.count(*owner) != 0 ? std::next(owner) : fLeaving.erase(owner);

    auto followed = fOwners.find(fState.busName);
    const bool stays = fPlayer != nullptr && followed != fOwners.end() &&
                       followed->second == fOwner && fLeaving.count(fOwner) == 0;
    const std::string choice = _Choice();
    if (stays && (choice.empty() || fOwners[choice] == fOwner))
        return;
    if (fPlayer != nullptr) {
        // One that takes over shows in the same playlist; the one left gets the person's
        // volume back.
        _Unfollow(!stays, stays);
    }
    if (!choice.empty())
        _Follow(choice);
}

void MprisWatcher::_Soon(bool *posted, void (MprisWatcher::*work)()) {
    if (*posted)
        return;
    *posted = true;
    fLater.Post([this, posted, work] {
        // The analysis cannot see through `work`; the check in debug builds still can.
        fOnBus.AssertHeld();
        *posted = false;
        (this->*work)();
    });
}

void MprisWatcher::_Follow(const std::string &busName) {
    fGeneration++;
    fState = MprisState();
    fState.busName = busName;
    fOwner = fOwners[busName];
    fAnnounced = false;
    fVolumeRefusedSaid = false;
    fVolumeKnown = false;
    auto seen = fSeen.find(fOwner);
    if (seen == fSeen.end() || !seen->second.proxy) {
        fListener->Report("cannot follow " + short_name(busName));
        fOwner.clear();
        return;
    }
    fPlayer = seen->second.proxy.get();
    _FetchPlayer();
}

void MprisWatcher::_Unfollow(bool announce, bool giveBack) {
    fVolume.Stop(giveBack && fPlayer != nullptr);
    fGeneration++;
    fPlayer = nullptr;
    const bool announced = fAnnounced && announce;
    fAnnounced = false;
    fFetching = 0;
    MprisState left;
    left.busName = fState.busName;
    fState = MprisState();
    fOwner.clear();
    if (announced) {
        // The playlist goes with it: the next one starts with no adjustment.
        fVolume.SetAdjustment(0);
        fListener->PlayerChanged(left, kLeft);
    }
}

void MprisWatcher::_PropertiesChanged(const Properties &changed,
                                      const std::vector<std::string> &invalidated) {
    try {
        double volume = 0;
        const unsigned changes = _SayRefused(apply_player_properties(changed, &fState, &volume));
        for (const std::string &name : invalidated) {
            if (name == "Metadata" || name == "Volume") {
                _Soon(&fPlayerPosted, &MprisWatcher::_FetchPlayer);
                break;
            }
        }
        _Changed(changes, volume);
    } catch (const sdbus::Error &) {
        // A signal not of the shape MPRIS gives it is no news.
    }
}

void MprisWatcher::_Changed(unsigned changes, double volume) {
    if (!fAnnounced) {
        // The volume is taken when the player is announced.
        if (changes & kVolumeSent) {
            fVolumeKnown = true;
            fVolumeRead = volume;
        }
        return;
    }
    // VLC announces additions to its list on a misspelt interface: a current track the
    // list does not hold yet means the list is out of date.
    if ((changes & kCurrent) && fState.hasTrackList && !fState.current.id.empty() &&
        !holds_track(*fState.tracks, fState.current.id))
        _Soon(&fTracksPosted, &MprisWatcher::_FetchTracks);
    // The track first: a volume that comes with it is the player's own move.
    if (changes & kCurrent)
        fVolume.TrackChanged();
    if (changes & kVolumeSent)
        fVolume.Reported(volume);
    changes &= ~kVolumeSent;
    if (changes != 0)
        _Announce(changes);
}

void MprisWatcher::_FetchPlayer() {
    if (fPlayer == nullptr)
        return;
    const uint64_t generation = fGeneration;
    const bool first = !fAnnounced;
    if (first)
        fFetching = 2;
    fPlayer->callMethodAsync("GetAll")
        .onInterface(kPropertiesInterface)
        .withTimeout(kCallTimeout)
        .withArguments(std::string(kPlayerInterface))
        .uponReplyInvoke([this, generation](const sdbus::Error *error, Properties properties) {
            fOnBus.AssertHeld();
            if (generation != fGeneration)
                return;
            unsigned changes = 0;
            double volume = 0;
            if (error != nullptr) {
                fListener->Report(short_name(fState.busName) +
                                  " does not tell its track: " + error->getMessage());
            } else {
                try {
                    changes = _SayRefused(apply_player_properties(properties, &fState, &volume));
                } catch (const sdbus::Error &) {
                }
            }
            const bool announcing = !fAnnounced;
            _Changed(changes, volume);
            if (announcing)
                _Fetched();
        });
    if (!first)
        return;
    // Its track list is asked for only when it says it has one: a player may leave a Get
    // of Tracks unanswered.
    _Get(kRootInterface, "HasTrackList", [this](const sdbus::Error *error, sdbus::Variant &value) {
        fOnBus.AssertHeld();
        fState.hasTrackList =
            error == nullptr && value.containsValueOfType<bool>() && value.get<bool>();
        _Fetched();
    });
}

void MprisWatcher::_Fetched() {
    if (fAnnounced || --fFetching > 0)
        return;
    // Announced with its current track; the list, if it has one, follows when it comes.
    _Announce(kAppeared);
    fVolume.Start(fVolumeKnown, fVolumeRead);
    if (fState.hasTrackList)
        _Soon(&fTracksPosted, &MprisWatcher::_FetchTracks);
}

void MprisWatcher::_FetchTracks() {
    if (fPlayer == nullptr || !fState.hasTrackList)
        return;
    const uint64_t generation = fGeneration;
    const uint64_t asked = ++fTracksAsked;
    auto finish = [this](std::vector<MprisTrack> tracks) {
        fOnBus.AssertHeld();
        fState.tracks = std::make_shared<const std::vector<MprisTrack>>(std::move(tracks));
        _Announce(kTracks);
    };
    _Get(kTrackListInterface, "Tracks",
         [this, generation, asked, finish](const sdbus::Error *error, sdbus::Variant &value) {
             fOnBus.AssertHeld();
             if (asked != fTracksAsked)
                 return;
             if (error != nullptr || !value.containsValueOfType<std::vector<sdbus::ObjectPath>>()) {
                 fListener->Report(short_name(fState.busName) + " does not tell its tracks" +
                                   (error != nullptr ? ": " + error->getMessage() : ""));
                 return;
             }
             const auto ids = value.get<std::vector<sdbus::ObjectPath>>();
             if (ids.empty()) {
                 finish({});
                 return;
             }
             fLater.Post([this, generation, asked, ids, finish] {
                 fOnBus.AssertHeld();
                 if (generation != fGeneration || asked != fTracksAsked || fPlayer == nullptr)
                     return;
                 fPlayer->callMethodAsync("GetTracksMetadata")
                     .onInterface(kTrackListInterface)
                     .withTimeout(kCallTimeout)
                     .withArguments(ids)
                     .uponReplyInvoke([this, generation, asked, ids, finish](
                                          const sdbus::Error *error,
                                          std::vector<Properties> metadata) {
                         fOnBus.AssertHeld();
                         if (generation != fGeneration || asked != fTracksAsked)
                             return;
                         // Matched by id: the answer's order is the player's choice.
                         std::map<std::string, MprisTrack> byId;
                         if (error == nullptr) {
                             try {
                                 for (const Properties &entry : metadata) {
                                     MprisTrack track = read_track(entry);
                                     byId[track.id] = track;
                                 }
                             } catch (const sdbus::Error &) {
                             }
                         }
                         std::vector<MprisTrack> tracks;
                         for (const sdbus::ObjectPath &id : ids) {
                             auto found = byId.find(id);
                             tracks.push_back(found != byId.end() ? found->second
                                                                  : MprisTrack{id, std::string()});
                         }
                         finish(std::move(tracks));
                     });
             });
         });
}

void MprisWatcher::_Get(const char *interface, const char *name, const GetDone &done) {
    const uint64_t generation = fGeneration;
    fPlayer->callMethodAsync("Get")
        .onInterface(kPropertiesInterface)
        .withTimeout(kCallTimeout)
        .withArguments(std::string(interface), std::string(name))
        .uponReplyInvoke([this, generation, done](const sdbus::Error *error, sdbus::Variant value) {
            fOnBus.AssertHeld();
            if (generation == fGeneration)
                done(error, value);
        });
}

void MprisWatcher::_AskVolume() {
    if (fPlayer == nullptr)
        return;
    _Get(kPlayerInterface, "Volume", [this](const sdbus::Error *error, sdbus::Variant &value) {
        fOnBus.AssertHeld();
        double volume = 0;
        bool ok = error == nullptr && value.containsValueOfType<double>();
        if (ok) {
            volume = value.get<double>();
            ok = std::isfinite(volume) && volume >= 0;
        }
        fVolume.Answered(ok, volume);
    });
}

void MprisWatcher::_SendVolume(double volume) {
    if (fPlayer == nullptr)
        return;
    const std::string name = short_name(fState.busName);
    fPlayer->callMethodAsync("Set")
        .onInterface(kPropertiesInterface)
        .withTimeout(kCallTimeout)
        .withArguments(std::string(kPlayerInterface), std::string("Volume"), sdbus::Variant(volume))
        .uponReplyInvoke([this, name](const sdbus::Error *error) {
            if (error != nullptr)
                fListener->Report(name + " refused the volume: " + error->getMessage());
        });
}

unsigned MprisWatcher::_SayRefused(unsigned changes) {
    if ((changes & kVolumeRefused) && !fVolumeRefusedSaid) {
        fVolumeRefusedSaid = true;  // once per player: a flood of them is one line
        fListener->Report(short_name(fState.busName) +
                          " sent a volume that is no number, or below 0: ignored");
    }
    return changes & ~kVolumeRefused;
}

void MprisWatcher::_Announce(unsigned changes) {
    if (changes & kAppeared)
        fAnnounced = true;
    if (fAnnounced)
        fListener->PlayerChanged(fState, changes);
}

void MprisWatcher::_Call(const char *interface, const char *method, const std::string &trackId) {
    if (fPlayer == nullptr || !fAnnounced) {
        fListener->Report(std::string(method) + ": no player is followed");
        return;
    }
    const std::string name = short_name(fState.busName);
    try {
        sdbus::MethodCall call = fPlayer->createMethodCall(interface, method);
        if (!trackId.empty())
            call << sdbus::ObjectPath(trackId);
        fPlayer->callMethod(
            call,
            [this, name, method = std::string(method)](sdbus::MethodReply &,
                                                       const sdbus::Error *error) {
                if (error != nullptr)
                    fListener->Report(name + " refused " + method + ": " + error->getMessage());
            },
            std::chrono::microseconds(kCallTimeout).count());
    } catch (const sdbus::Error &e) {
        fListener->Report(std::string(method) + ": " + e.getMessage());
    }
}

void MprisWatcher::Next() {
    fOnBus.AssertHeld();
    _Call(kPlayerInterface, "Next", std::string());
}

void MprisWatcher::Previous() {
    fOnBus.AssertHeld();
    _Call(kPlayerInterface, "Previous", std::string());
}

void MprisWatcher::GoTo(const std::string &trackId) {
    fOnBus.AssertHeld();
    _Call(kTrackListInterface, "GoTo", trackId);
}

void MprisWatcher::SetAdjustment(double adjustment) {
    fOnBus.AssertHeld();
    fVolume.SetAdjustment(adjustment);
}

void MprisWatcher::Leave() {
    fOnBus.AssertHeld();
    if (fPlayer != nullptr && fAnnounced)
        fVolume.Stop(true);
}

void MprisWatcher::LoseBus() {
    fOnBus.AssertHeld();
    fOwners.clear();
    fSeen.clear();
    if (fPlayer != nullptr)
        _Unfollow(true, false);
}

}  // namespace follow
