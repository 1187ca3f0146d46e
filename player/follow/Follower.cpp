#include "Follower.h"

#include <strings.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

#include <ModuleLoader.h>
#include <ModulePath.h>

#include "FollowedPlaylist.h"
#include "FollowHost.h"
#include "PlayerController.h"
#include "Status.h"
#include "TaskQueue.h"

namespace {

const char *const kModuleName = "brindle-follow.so";
// What the add-on sees as playlist 0's volume with no adjustment: the player's own volume
// is the person's, and only Brindle's adjustment shows, as 0.25 a step from here.
constexpr float kUnadjustedVolume = 1.0f;

// Beside the platform library: build/lib, or lib/brindle when installed.
std::string find_module(std::string *tried) {
    const std::string path = brindle::module_path(kModuleName);
    if (access(path.c_str(), R_OK) == 0)
        return path;
    *tried = path;
    return std::string();
}

// The name a person knows a player by: its bus name after the MPRIS prefix, without the
// ".instanceN" a second copy of it adds.
std::string player_name(const std::string &busName) {
    const std::string prefix = follow::kMprisPrefix;
    std::string name =
        busName.compare(0, prefix.size(), prefix) == 0 ? busName.substr(prefix.size()) : busName;
    const size_t instance = name.find(".instance");
    return instance == std::string::npos ? name : name.substr(0, instance);
}

}  // namespace

Follower::Follower(FollowHost &host) : fHost(host) {}

Follower::~Follower() {
    Stop();
}

Status Follower::Start(const std::string &name) {
    std::string tried;
    const std::string path = find_module(&tried);
    if (path.empty()) {
        return Status(B_MISSING_LIBRARY,
                      std::string("cannot find ") + kModuleName + " (looked for " + tried + ")");
    }
    // Never closed: the bus library keeps state until the process ends.
    std::string reason;
    void *module = brindle::open_module(path.c_str(), &reason);
    if (module == nullptr)
        return Status(B_MISSING_LIBRARY, "cannot load " + path + ": " + reason);
    auto start = brindle::module_entry<follow::StartFunction>(module, follow::kStartSymbol);
    if (start == nullptr)
        return Status(B_MISSING_SYMBOL, path + " has no " + follow::kStartSymbol);
    // As people type it: "org.mpris.MediaPlayer2.vlc" is "vlc".
    const std::string prefix = follow::kMprisPrefix;
    const std::string wanted = strncasecmp(name.c_str(), prefix.c_str(), prefix.size()) == 0
                                   ? name.substr(prefix.size())
                                   : name;
    _SetWords(wanted.empty() ? "waiting for a player" : "waiting for " + wanted);
    // The module's own words when it cannot start (no session bus, ...).
    std::string error;
    fClient.reset(start(wanted.c_str(), this, &error));
    if (fClient == nullptr)
        return Status(B_ERROR, error.empty() ? "the bus client did not start" : error);
    return Status();
}

std::string Follower::Words() const {
    brindle::MutexLock hold(fWordsLock);
    return fWords;
}

void Follower::_SetWords(const std::string &words) {
    brindle::MutexLock hold(fWordsLock);
    fWords = words;
}

void Follower::Stop() {
    fClient.reset();
    if (fFollowed != nullptr)
        fFollowed->Detach();
}

void Follower::PlayerChanged(const follow::MprisState &state, unsigned changes) {
    bool post;
    {
        brindle::MutexLock hold(fPendingLock);
        post = fPending.empty();
        const bool arrives = (changes & follow::kAppeared) != 0;
        const bool leaves = (changes & follow::kLeft) != 0;
        if (arrives || leaves) {
            // What was pending about the earlier player is superseded; its leaving is not.
            const bool leaving = !fPending.empty() && (fPending.front().changes & follow::kLeft);
            fPending.resize(leaving ? 1 : 0);
            if (!(leaves && leaving))
                fPending.push_back(Change{state, changes});
        } else if (!fPending.empty() && !(fPending.back().changes & follow::kLeft)) {
            fPending.back().state = state;
            fPending.back().changes |= changes;
        } else {
            fPending.push_back(Change{state, changes});
        }
    }
    if (post)
        fHost.Tasks().Post([this] { _ApplyPending(); });
}

void Follower::_ApplyPending() {
    std::vector<Change> pending;
    {
        brindle::MutexLock hold(fPendingLock);
        pending.swap(fPending);
    }
    for (const Change &change : pending)
        _Apply(change.state, change.changes);
}

void Follower::Report(const std::string &line) {
    fHost.Tasks().Post([line] { fprintf(stderr, "brindle-player: follow: %s\n", line.c_str()); });
}

void Follower::_Apply(const follow::MprisState &state, unsigned changes) {
    if (fClient == nullptr)
        return;  // stopped: the player is ending
    if (changes & follow::kLeft) {
        _Left();
        return;
    }
    if (changes & follow::kAppeared) {
        if (fFollowed != nullptr)
            _TookOver(state);
        else
            _Appeared(state);
        return;
    }
    if (fFollowed == nullptr)
        return;
    if (changes & (follow::kCurrent | follow::kTracks))
        _Show(state, true);
}

void Follower::_Show(const follow::MprisState &state, bool notify) {
    std::string words = "following " + fFollowedName;
    if (!fFollowed->Show(state, notify))
        words += " (its track's file name holds a control character: not shown)";
    _SetWords(words);
}

void Follower::_TookOver(const follow::MprisState &state) {
    // Another player started playing: the playlist stays and shows its track, so the
    // add-on saves the form and moves on as for a change of track. Its adjustment stays
    // (the module applies it to the new one's own volume) until the add-on sets the next.
    fFollowedName = player_name(state.busName);
    _Show(state, true);
}

void Follower::_Appeared(const follow::MprisState &state) {
    if (fPlaylist)
        _Left();
    const uint64_t generation = ++fGeneration;
    FollowHost *host = &fHost;
    // SetVolume runs on its caller's thread (an add-on's window): the work goes through
    // the player's queue, and is dropped there if this playlist has left meanwhile.
    fFollowed = new FollowedPlaylist(fClient.get(), [this, host, generation](float volume) {
        host->Tasks().Post([this, generation, volume] {
            if (generation == fGeneration)
                _VolumeFromPlaylist(volume);
        });
    });
    fPlaylist = PlaylistPtr(fFollowed);
    fFollowedName = player_name(state.busName);
    // Filled before it opens: the add-on attaches to it whole, at the volume every playlist
    // starts with, which is no adjustment. One the last playlist asked for after it left
    // is over too.
    fClient->SetAdjustment(0);
    _Show(state, false);
    fHost.Controller()->OpenPlaylistAt(fPlaylist, 0);
}

void Follower::_Left() {
    if (!fPlaylist)
        return;
    PlayerController *controller = fHost.Controller();
    for (int32 i = 0; i < controller->CountPlaylists(); i++) {
        if (controller->PlaylistAt(i).Get() == fPlaylist.Get()) {
            // The index was just found in the list, on this thread: it cannot be out of range.
            (void)controller->ClosePlaylist(i);
            break;
        }
    }
    fFollowed->Detach();
    fFollowed = nullptr;
    fPlaylist = PlaylistPtr();
    fGeneration++;
    _SetWords(fFollowedName + " has quit");
}

void Follower::_VolumeFromPlaylist(float volume) {
    if (fFollowed == nullptr || fClient == nullptr)
        return;
    if (!std::isfinite(volume) || volume < 0) {
        fprintf(
            stderr,
            "brindle-player: follow: volume %g not sent to %s (a volume is a number, 0 or more)\n",
            volume, fFollowedName.c_str());
        return;
    }
    fClient->SetAdjustment(volume - kUnadjustedVolume);
}
