// PluginWindow::Impl: the window's private record and the form's logic.
//
// Split by concern: PluginWindow.cpp builds the form, routes messages and closes;
// PlaylistTracking.cpp follows the player's first playlist and applies volume
// adjustments; FormIO.cpp moves data between the form and the file in `ref`.
//
// Threads: every method runs on the window's thread, except the controlsAdded() call at
// the end of construction (and all it reaches), which runs on the thread building the
// window before the window's thread starts. Lock order is controller, then playlist; the
// playlist lock is never held while the form is read from or saved to a file.
#ifndef BRINDLE_WINDOW_PLUGIN_WINDOW_IMPL_H
#define BRINDLE_WINDOW_PLUGIN_WINDOW_IMPL_H

#include <Entry.h>
#include <String.h>
#include <SupportDefs.h>

#include <PrivatePlaylist.h>

#include "window/PluginWindow.h"

class BMessage;
class BNode;
class MPopup;
class MTextControl;
class SoundPlayController;

// Codes the window sends to itself through its controls.
enum : uint32 {
    MSG_SAVE = '!but',           // the Save button (the layout library's button code)
    MSG_VOLUME_ADJUST = 'AiVa',  // an item chosen in Vol. Adjust
    MSG_GENRE_PICKED = 'AiNl',   // an item chosen in Genre; not handled
};

// The empty playlist handle; assigning it lets go of the watched playlist.
extern const PlaylistPtr nullPlaylist;

class PluginWindow::Impl {
public:
    explicit Impl(PluginWindow *window, SoundPlayController *controller);

    Impl(const Impl &) = delete;
    Impl &operator=(const Impl &) = delete;

    // Playlist tracking (PlaylistTracking.cpp). None reads the message it is given.
    void controlsAdded(BMessage *msg);
    void controlsRemoved(BMessage *msg);
    void playlistCurrent(BMessage *msg);
    void playlistLostControls(BMessage *msg);
    void adjustVolume(int32 value);

    // Form load and save (FormIO.cpp).
    void readAttrs();
    void setEditField(BNode &node, const char *name, MTextControl *field);
    void setPopup(BNode &node, const char *name, MPopup *popup, int32 min, int32 max,
                  int32 defaultValue);
    void saveAttrs();
    void saveAttr(BNode &node, const char *name, MTextControl *field);
    void saveAttr(BNode &node, const char *name, const char *text);
    void saveAttr(BNode &node, const char *name, MPopup *popup);

    // Reads Vol. Adjust's label, reports the change and applies it (adjustVolume).
    void applyVolumeLabel();

    SoundPlayController *controller;
    entry_ref ref;
    PlaylistPtr playlist;
    bool haveFile;
    int32 volumeAdjustment;
    PluginWindow *window;
    MPopup *genrePopup;
    MTextControl *titleControl;
    MTextControl *albumControl;
    MTextControl *artistControl;
    MPopup *ratingPopup;
    MPopup *volumePopup;
};

// The label of `popup`'s marked item into `label`; false when no item is marked.
bool popup_label(const MPopup *popup, BString *label);
// The marked item's label read as a base-10 integer; false when no item is marked.
bool popup_number(const MPopup *popup, int32 *value);

#endif  // BRINDLE_WINDOW_PLUGIN_WINDOW_IMPL_H
