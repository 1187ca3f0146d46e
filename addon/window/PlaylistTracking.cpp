// Following the player's first playlist: attaching, the current file, volume adjustment.
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include <Entry.h>
#include <String.h>

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
            // A playlist starts with no change of ours in its volume.
            volumeAdjustment = 0;
            volumeApplied = 0;
            // Watching again: the form shows its file, if it has one, until the load.
            if (ref.name != nullptr)
                setFileStatus(nullptr);
            else
                setStatus("no file");
            playlist->Lock();
            playlist->AddListener(window);
            playlist->Unlock();
            // Runs with the controller locked, so the playlist stays first meanwhile.
            playlistCurrent(msg);
        }
    } else {
        printf("PluginWindow::Impl::controlsAdded: no playlist available\n");
        // A form that still shows a file says the player went away instead.
        if (ref.name == nullptr)
            setStatus("no player");
    }
    controller->Unlock();
}

void PluginWindow::Impl::controlsRemoved(BMessage *) {}

PluginWindow::Impl::CurrentItem PluginWindow::Impl::currentItem(entry_ref *found, BString *name) {
    if (!playlist)
        return CURRENT_NONE;
    CurrentItem item = CURRENT_NONE;
    playlist->Lock();
    int32 index = playlist->CurrentIndex();
    if (index >= 0 && index < playlist->CountItems()) {
        item = CURRENT_NO_ENTRY;
        const char *path = playlist->PathForItem(playlist->IDForItemAt(index));
        if (path != nullptr) {
            printf("playlist item path: %s\n", path);
            const char *slash = strrchr(path, '/');
            *name = slash != nullptr ? slash + 1 : path;
            BEntry entry(path, false);
            if (entry.InitCheck() == B_OK) {
                entry.GetRef(found);
                item = CURRENT_FOUND;
            }
        }
    }
    // Released before the form touches any file.
    playlist->Unlock();
    return item;
}

void PluginWindow::Impl::playlistCurrent(BMessage *) {
    printf("PluginWindow::Impl::playlistCurrent() called\n");

    // The form belongs to the file shown until now: its edits go there before anything
    // moves. A failure stays on the status line over the next file's name, or joins it; an
    // edit no file could take (none was loaded) is said too, never dropped in silence.
    BString saveFailure, failureReason;
    const BString oldName = editsName();
    if (!saveChangedAttrs(SAVE_AUTOMATIC, &failureReason))
        saveFailure = statusText();

    entry_ref found;
    BString name;
    switch (currentItem(&found, &name)) {
        case CURRENT_NONE:
            // No current item: the form stays with its file.
            haveFile = false;
            break;
        case CURRENT_NO_ENTRY:
            // An item that names no file: nothing of the previous file may stay in a form
            // a save could take for this item's.
            haveFile = false;
            ref = entry_ref();
            itemName = name;
            clearForm();
            setStatus("no file");
            applyVolumeLabel();
            break;
        case CURRENT_FOUND:
            // The same file again is loaded again only when its load failed.
            if (haveFile && found == ref && formLoaded)
                break;
            printf("Switching files\n");
            ref = found;
            itemName = "";
            haveFile = true;
            readAttrs();
            applyVolumeLabel();
            // The edits are gone with the old form: the line says so beside the new name.
            if (!saveFailure.IsEmpty()) {
                saveFailure = fileName();
                saveFailure += " \xE2\x80\x94 edits ";  // an em dash
                if (!oldName.IsEmpty()) {
                    saveFailure += "to ";
                    saveFailure += oldName;
                    saveFailure += " ";
                }
                saveFailure += "not saved: ";
                saveFailure += failureReason;
            }
            break;
    }
    if (!saveFailure.IsEmpty())
        setStatus(saveFailure);
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
    // What was applied to that playlist's volume is no longer ours to give back.
    volumeApplied = 0;
    // The form keeps the last file; the status line says why it no longer follows.
    if (ref.name != nullptr)
        setFileStatus("the player has gone");
    else
        setStatus("no player");
    controlsAdded(msg);
}

namespace {

// Moves the playlist's volume by `step`, within 0 to 2; returns the change made.
float change_volume(const PlaylistPtr &playlist, float step) {
    playlist->Lock();
    float volume = playlist->Volume();
    float newVolume = volume + step;
    if (newVolume > 2.0f)
        newVolume = 2.0f;
    // Written so that a volume that is not a number (NaN) becomes 0 too.
    if (!(newVolume >= 0))
        newVolume = 0;
    if (!(volume >= 0))
        volume = 0;
    printf("changing vol from %f to %f\n", volume, newVolume);
    playlist->SetVolume(newVolume);
    playlist->Unlock();
    return newVolume - volume;
}

}  // namespace

void PluginWindow::Impl::adjustVolume(int32 value) {
    int32 delta = value - volumeAdjustment;
    if (delta != 0 && playlist)
        volumeApplied += change_volume(playlist, delta * 0.25f);
    volumeAdjustment = value;
}

void PluginWindow::Impl::giveBackVolume() {
    // What was applied, after clamping: close and re-open leave the volume where it was.
    if (volumeApplied != 0 && playlist)
        change_volume(playlist, -volumeApplied);
    volumeApplied = 0;
    volumeAdjustment = 0;
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
