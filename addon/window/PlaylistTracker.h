// PlaylistTracker: follows the player's first playlist: attaching to it, the file of its
// current item (the edits of the file shown are saved first, the new file loaded, both
// through FormActions), and Vol. Adjust applied to its volume.
//
// Lock order is controller, then playlist; the playlist lock is never held while the form
// is read from or saved to a file.
#ifndef BRINDLE_WINDOW_PLAYLIST_TRACKER_H
#define BRINDLE_WINDOW_PLAYLIST_TRACKER_H

#include <SupportDefs.h>

class BMessage;
class BString;
class FormActions;
struct FormState;
struct entry_ref;

class PlaylistTracker {
public:
    PlaylistTracker(FormState &state, FormActions &actions);

    PlaylistTracker(const PlaylistTracker &) = delete;
    PlaylistTracker &operator=(const PlaylistTracker &) = delete;

    // The player's notifications. None reads the message it is given.
    void controlsAdded(BMessage *msg);
    void controlsRemoved(BMessage *msg);
    void playlistCurrent(BMessage *msg);
    void playlistLostControls(BMessage *msg);
    void adjustVolume(int32 value);

    // Gives back the volume change this window made to the watched playlist.
    void giveBackVolume();
    // Reads Vol. Adjust's label, reports the change and applies it (adjustVolume).
    void applyVolumeLabel();

private:
    enum CurrentItem { CURRENT_NONE, CURRENT_NO_ENTRY, CURRENT_FOUND };
    // What the watched playlist's current item is; its entry in `found` when it makes one,
    // and the leaf of its path in `name` when it has a path.
    CurrentItem currentItem(entry_ref *found, BString *name);

    FormState &fState;
    FormActions &fActions;
};

#endif  // BRINDLE_WINDOW_PLAYLIST_TRACKER_H
