#include "Player.h"

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

Status Player::Follow(const std::string &name) {
    fFollower = std::make_unique<Follower>(*this);
    Status started = fFollower->Start(name);
    if (!started.IsOK())
        fFollower.reset();
    return started;
}

std::string Player::FollowerWords() const {
    return fFollower != nullptr ? fFollower->Words() : std::string();
}

Status Player::Enable(const std::string &id) {
    const LoadedDescriptor *source = fAddOns.Find(id);
    if (source == nullptr)
        return Status(B_NAME_NOT_FOUND, "no add-on with id \"" + id + "\"");
    if (!source->IsInterface())
        return Status(B_BAD_TYPE, "\"" + id + "\" is not an interface");
    Status status = fInterfaces.Enable(*source);
    if (status.IsOK())
        fEverEnabled = true;
    return status;
}

void Player::EnableAll() {
    for (const LoadedDescriptor &source : fAddOns.Descriptors()) {
        if (!source.IsInterface())
            continue;
        // An interface that fails has said so already; anything else is said here, and the
        // others are enabled all the same.
        report_failure(Enable(source.descriptor->id));
    }
}

void Player::RequestDisable(const std::string &id) {
    fTasks.Post([this, id] {
        // An id no longer enabled is no failure here: a window may ask twice.
        (void)fInterfaces.Disable(id);
    });
}

void Player::RequestEnable(const std::string &id) {
    fTasks.Post([this, id] {
        if (fShuttingDown)
            return;
        const Status status = Enable(id);
        if (status.IsOK())
            return;
        // A failure said where it happened (an interface that failed, named with its
        // image) keeps its words and is not said again.
        const Status failure =
            status.WasReported() ? status : status.Prefixed("open interface request");
        report_failure(failure);
        // Asked for from a menu or another application: the answer goes where the person
        // looks as well.
        if (fDisplay != nullptr)
            fDisplay->Notice(failure.Text());
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
