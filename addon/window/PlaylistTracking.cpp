// Following the player's first playlist: attaching, the current file, volume adjustment.
#include <cinttypes>
#include <cstdio>

#include <Entry.h>

#include <SoundPlayController.h>

#include "window/PluginWindowImpl.h"

void PluginWindow::Impl::controlsAdded(BMessage *msg) {
    printf("PluginWindow::Impl::controlsAdded() called\n");
    if (playlist) {
        printf("Ignoring new controls (we are already watching a playlist)\n");
        // The add-on prints this spelling; tools match it.
        printf("Current playlsit ptr is: %" PRIxPTR "\n",
               reinterpret_cast<uintptr_t>(playlist.Get()));
        return;
    }
    if (controller == nullptr) {
        printf("PluginWindow::Impl::controlsAdded: null ctrl for some reason!\n");
        return;
    }

    controller->Lock();
    if (controller->CountPlaylists() > 0) {
        printf("Getting pointer to first play list\n");
        playlist = controller->PlaylistAt(0);
        if (playlist) {
            playlist->Lock();
            playlist->AddListener(window);
            playlist->Unlock();
            // Runs with the controller locked, so the playlist stays first meanwhile.
            playlistCurrent(msg);
        }
    } else {
        printf("PluginWindow::Impl::controlsAdded: no playlist available\n");
    }
    controller->Unlock();
}

void PluginWindow::Impl::controlsRemoved(BMessage *) {}

void PluginWindow::Impl::playlistCurrent(BMessage *) {
    printf("PluginWindow::Impl::playlistCurrent() called\n");
    entry_ref found;
    bool isFound = false;

    // The form belongs to the file shown until now: it goes there before anything moves.
    saveAttrs();

    if (playlist) {
        playlist->Lock();
        int32 index = playlist->CurrentIndex();
        if (index >= 0 && index < playlist->CountItems()) {
            const char *path = playlist->PathForItem(playlist->IDForItemAt(index));
            // An item without a path counts as no current file.
            if (path != nullptr) {
                printf("playlist item path: %s\n", path);
                BEntry entry(path, false);
                if (entry.InitCheck() == B_OK) {
                    entry.GetRef(&found);
                    isFound = true;
                }
            }
        }
        // Released before the form touches any file.
        playlist->Unlock();
    }

    if (!isFound) {
        haveFile = false;
        return;
    }
    if (haveFile && found == ref)
        return;

    printf("Switching files\n");
    ref = found;
    haveFile = true;
    readAttrs();
    applyVolumeLabel();
}

void PluginWindow::Impl::playlistLostControls(BMessage *msg) {
    printf("PluginWindow::Impl::playlistLostControls() called\n");
    if (!playlist)
        return;
    playlist->Lock();
    playlist->RemoveListener(window);
    playlist->Unlock();
    playlist = nullPlaylist;
    haveFile = false;
    controlsAdded(msg);
}

void PluginWindow::Impl::adjustVolume(int32 value) {
    int32 delta = value - volumeAdjustment;
    if (delta != 0 && playlist) {
        float step = delta * 0.25f;
        playlist->Lock();
        float volume = playlist->Volume();
        float newVolume = volume + step;
        if (newVolume > 2.0f)
            newVolume = 2.0f;
        if (newVolume < 0)
            newVolume = 0;
        printf("changing vol from %f to %f\n", volume, newVolume);
        playlist->SetVolume(newVolume);
        playlist->Unlock();
    }
    volumeAdjustment = value;
}

void PluginWindow::Impl::applyVolumeLabel() {
    // The label as it is now; the last applied adjustment when, against the form's rules,
    // nothing is marked.
    int32 value;
    if (!popup_number(volumePopup, &value))
        value = volumeAdjustment;
    printf("Volume adjusted from: %" PRId32 " to %" PRId32 "\n", volumeAdjustment, value);
    adjustVolume(value);
}
