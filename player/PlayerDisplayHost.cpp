// The player's side of the display seam (DisplayHost.h): what the front end reads of the
// player, and the requests of the player's window, queued for the command thread so the
// player's own objects keep one thread.
#include <poll.h>

#include <cerrno>

#include "Player.h"
#include "Playlist.h"
#include "Signals.h"

std::vector<std::string> Player::EnabledInterfaces() const {
    std::vector<std::string> ids;
    for (const auto &interface : fInterfaces.Enabled())
        ids.push_back(interface->id);
    return ids;
}

bool Player::WaitForWork() {
    struct pollfd wake = {fTasks.WakeFd(), POLLIN, 0};
    if (poll(&wake, 1, -1) < 0)
        return errno == EINTR;
    if (wake.revents != 0)
        fTasks.ClearWake();
    return true;
}

int Player::TerminationSignal() const {
    return termination_signal();
}

void Player::Wake() {
    fTasks.Wake();
}

std::vector<InterfaceName> Player::LoadedInterfaces() const {
    std::vector<InterfaceName> names;
    for (const LoadedDescriptor &loaded : fAddOns.Descriptors()) {
        if (loaded.IsInterface())
            names.push_back({loaded.descriptor->id,
                             loaded.descriptor->name != nullptr ? loaded.descriptor->name : ""});
    }
    return names;
}

PlaylistView Player::FirstPlaylist() {
    PlaylistView view;
    // The controller and the playlist lock themselves: this is safe from any thread.
    PlaylistPtr playlist = fController.PlaylistAt(0);
    if (!playlist || !playlist->Lock())
        return view;
    view.open = true;
    const int32 count = playlist->CountItems();
    for (int32 i = 0; i < count; i++) {
        const char *path = playlist->PathForItem(playlist->IDForItemAt(i));
        view.paths.push_back(path != nullptr ? path : "");
    }
    view.current = playlist->CurrentIndex();
    view.volume = playlist->Volume();
    playlist->Unlock();
    return view;
}

void Player::RequestGoto(int index) {
    fTasks.Post([this, index] {
        // An index the list no longer has changes nothing: the window shows the list as it
        // is at its next refresh.
        if (PlaylistPtr playlist = fController.PlaylistAt(0))
            (void)AsPlayerPlaylist(playlist)->SetCurrent(index);
    });
}

void Player::RequestStep(int delta) {
    fTasks.Post([this, delta] {
        if (PlaylistPtr playlist = fController.PlaylistAt(0))
            AsPlayerPlaylist(playlist)->Step(delta);
    });
}

void Player::RequestVolume(float volume) {
    fTasks.Post([this, volume] {
        if (PlaylistPtr playlist = fController.PlaylistAt(0))
            playlist->SetVolume(volume);
    });
}

void Player::RequestAdd(const std::vector<std::string> &paths) {
    fTasks.Post([this, paths] {
        PlaylistPtr playlist = fController.PlaylistAt(0);
        if (playlist) {
            for (const std::string &path : paths)
                AsPlayerPlaylist(playlist)->AddItem(path.c_str());
            return;
        }
        // As the `add` command: the items go in before the playlist opens, so the
        // listeners told about it see them.
        playlist = PlaylistPtr(new Playlist);
        for (const std::string &path : paths)
            AsPlayerPlaylist(playlist)->AddItem(path.c_str());
        fController.OpenPlaylist(playlist);
    });
}
