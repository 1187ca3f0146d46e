// Following the player's first playlist: attaching, the current file, volume adjustment.
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include <Entry.h>
#include <String.h>

#include <SoundPlayController.h>

#include "window/FormActions.h"
#include "window/FormState.h"
#include "window/PluginWindow.h"
#include "window/PlaylistTracker.h"

PlaylistTracker::PlaylistTracker(FormState &state, FormActions &actions)
    : fState(state), fActions(actions) {}

void PlaylistTracker::controlsAdded(BMessage *msg) {
    printf("PluginWindow::Impl::controlsAdded() called\n");
    if (fState.playlist) {
        printf("Ignoring new controls (we are already watching a playlist)\n");
        // The add-on prints this spelling; tools match it.
        printf("Current playlsit ptr is: %" PRIxPTR "\n",
               reinterpret_cast<uintptr_t>(fState.playlist.Get()));
        return;
    }
    if (fState.controller == nullptr) {
        printf("PluginWindow::Impl::controlsAdded: null ctrl for some reason!\n");
        return;
    }

    fState.controller->Lock();
    if (fState.controller->CountPlaylists() > 0) {
        printf("Getting pointer to first play list\n");
        fState.playlist = fState.controller->PlaylistAt(0);
        if (fState.playlist) {
            // A playlist starts with no change of ours in its volume.
            fState.volumeAdjustment = 0;
            fState.volumeApplied = 0;
            // Watching again: the form shows its file, if it has one, until the load.
            if (fState.ref.name != nullptr)
                set_file_status(fState, nullptr);
            else
                set_status_line(fState, "no file");
            fState.playlist->Lock();
            fState.playlist->AddListener(fState.window);
            fState.playlist->Unlock();
            // Runs with the controller locked, so the playlist stays first meanwhile.
            playlistCurrent(msg);
        }
    } else {
        printf("PluginWindow::Impl::controlsAdded: no playlist available\n");
        // A form that still shows a file says the player went away instead.
        if (fState.ref.name == nullptr)
            set_status_line(fState, "no player");
    }
    fState.controller->Unlock();
}

void PlaylistTracker::controlsRemoved(BMessage *) {}

PlaylistTracker::CurrentItem PlaylistTracker::currentItem(entry_ref *found, BString *name) {
    if (!fState.playlist)
        return CURRENT_NONE;
    CurrentItem item = CURRENT_NONE;
    fState.playlist->Lock();
    int32 index = fState.playlist->CurrentIndex();
    if (index >= 0 && index < fState.playlist->CountItems()) {
        item = CURRENT_NO_ENTRY;
        const char *path = fState.playlist->PathForItem(fState.playlist->IDForItemAt(index));
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
    fState.playlist->Unlock();
    return item;
}

void PlaylistTracker::playlistCurrent(BMessage *) {
    printf("PluginWindow::Impl::playlistCurrent() called\n");

    // The form belongs to the file shown until now: its edits go there before anything
    // moves. A failure stays on the status line over the next file's name, or joins it; an
    // edit no file could take (none was loaded) is said too, never dropped in silence.
    BString saveFailure;
    const BString oldName = edits_name(fState);
    const SaveResult saved = fActions.saveChangedEdits(SAVE_AUTOMATIC);
    if (!saved.Saved())
        saveFailure = status_line_text(fState);

    entry_ref found;
    BString name;
    switch (currentItem(&found, &name)) {
        case CURRENT_NONE:
            // No current item: the form stays with its file.
            fState.haveFile = false;
            break;
        case CURRENT_NO_ENTRY:
            // An item that names no file: nothing of the previous file may stay in a form
            // a save could take for this item's.
            fState.haveFile = false;
            fState.ref = entry_ref();
            fState.itemName = name;
            clear_form(fState);
            set_status_line(fState, "no file");
            applyVolumeLabel();
            break;
        case CURRENT_FOUND:
            // The same file again is loaded again only when its load failed.
            if (fState.haveFile && found == fState.ref && fState.formLoaded)
                break;
            printf("Switching files\n");
            fState.ref = found;
            fState.itemName = "";
            fState.haveFile = true;
            fActions.loadForm();
            applyVolumeLabel();
            // The edits are gone with the old form: the line says so beside the new name.
            if (!saveFailure.IsEmpty()) {
                saveFailure = form_file_name(fState);
                saveFailure += " \xE2\x80\x94 edits ";  // an em dash
                if (!oldName.IsEmpty()) {
                    saveFailure += "to ";
                    saveFailure += oldName;
                    saveFailure += " ";
                }
                saveFailure += "not saved: ";
                saveFailure += saved.reason;
            }
            break;
    }
    if (!saveFailure.IsEmpty())
        set_status_line(fState, saveFailure);
}

void PlaylistTracker::playlistLostControls(BMessage *msg) {
    printf("PluginWindow::Impl::playlistLostControls() called\n");
    if (!fState.playlist)
        return;
    fState.playlist->Lock();
    fState.playlist->RemoveListener(fState.window);
    fState.playlist->Unlock();
    fState.playlist = nullPlaylist;
    fState.haveFile = false;
    // What was applied to that playlist's volume is no longer ours to give back.
    fState.volumeApplied = 0;
    // The form keeps the last file; the status line says why it no longer follows.
    if (fState.ref.name != nullptr)
        set_file_status(fState, "the player has gone");
    else
        set_status_line(fState, "no player");
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

void PlaylistTracker::adjustVolume(int32 value) {
    int32 delta = value - fState.volumeAdjustment;
    if (delta != 0 && fState.playlist)
        fState.volumeApplied += change_volume(fState.playlist, delta * 0.25f);
    fState.volumeAdjustment = value;
}

void PlaylistTracker::giveBackVolume() {
    // What was applied, after clamping: close and re-open leave the volume where it was.
    if (fState.volumeApplied != 0 && fState.playlist)
        change_volume(fState.playlist, -fState.volumeApplied);
    fState.volumeApplied = 0;
    fState.volumeAdjustment = 0;
}

void PlaylistTracker::applyVolumeLabel() {
    // The label as it is now; the last applied adjustment when, against the form's rules,
    // nothing is marked.
    int32 value;
    if (!popup_number(fState.volumePopup, &value))
        value = fState.volumeAdjustment;
    printf("Volume adjusted from: %" PRId32 " to %" PRId32 "\n", fState.volumeAdjustment, value);
    adjustVolume(value);
}
