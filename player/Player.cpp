#include "Player.h"

#include <cstdio>

#include "Follower.h"
#include "FrameStore.h"
#include "Playlist.h"
#include "StandardOutput.h"
#include "WindowAccess.h"

Player::Player()
    : fController([this](const char *id) { RequestDisable(id); }), fInterfaces(&fController) {}

Player::~Player() {
    Shutdown();
}

void Player::SetDisplay(Display *display) {
    fDisplay = display;
    fInterfaces.SetPlacement(nullptr);
    fPlacement.reset();
    const std::string path = FrameStore::DefaultPath();
    if (display != nullptr && !path.empty()) {
        fPlacement = std::make_unique<RememberedFrames>(path, *display);
        fInterfaces.SetPlacement(fPlacement.get());
    }
}

void Player::OpenStartPlaylist(const std::vector<std::string> &paths) {
    // Filled before it opens: a listener told about it sees it whole.
    PlaylistPtr playlist(new Playlist);
    for (const std::string &path : paths)
        AsPlayerPlaylist(playlist)->AddItem(path.c_str());
    AsPlayerPlaylist(playlist)->SetCurrent(paths.empty() ? -1 : 0);
    fController.OpenPlaylist(playlist);
}

bool Player::Follow(const std::string &name, std::string *error) {
    fFollower = std::make_unique<Follower>(*this);
    if (!fFollower->Start(name, error)) {
        fFollower.reset();
        return false;
    }
    return true;
}

std::string Player::FollowerWords() const {
    return fFollower != nullptr ? fFollower->Words() : std::string();
}

status_t Player::Enable(const std::string &id, std::string *error) {
    const LoadedDescriptor *source = fAddOns.Find(id);
    if (source == nullptr) {
        *error = "no add-on with id \"" + id + "\"";
        return B_NAME_NOT_FOUND;
    }
    if (!source->IsInterface()) {
        *error = "\"" + id + "\" is not an interface";
        return B_BAD_TYPE;
    }
    status_t status = fInterfaces.Enable(*source);
    if (status == B_OK)
        fEverEnabled = true;
    return status;
}

void Player::EnableAll() {
    for (const LoadedDescriptor &source : fAddOns.Descriptors()) {
        if (!source.IsInterface())
            continue;
        std::string error;
        Enable(source.descriptor->id, &error);
    }
}

void Player::RequestDisable(const char *id) {
    fTasks.Post([this, id = std::string(id)] { fInterfaces.Disable(id); });
}

void Player::RequestEnable(const std::string &id) {
    fTasks.Post([this, id] {
        if (fShuttingDown)
            return;
        std::string error;
        if (Enable(id, &error) != B_OK && !error.empty())
            fprintf(stderr, "brindle-player: open interface request: %s\n", error.c_str());
    });
}

void Player::Settle() {
    do {
        fTasks.RunPending();
        wait_for_windows_idle();
    } while (!fTasks.IsEmpty());
    if (fDisplay != nullptr)
        fDisplay->CatchUp();
    // Nothing left to do until the next command or event.
    flush_standard_output();
}

void Player::Shutdown() {
    // Disables asked for meanwhile go first, in the order the windows asked; enables
    // queued now are dropped.
    fShuttingDown = true;
    // The bus thread first: nothing more comes from the followed player.
    if (fFollower != nullptr)
        fFollower->Stop();
    fTasks.RunPending();
    fInterfaces.DisableAll();
    fController.CloseAllPlaylists();
}
