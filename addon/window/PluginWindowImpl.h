// PluginWindow::Impl: the window's private record: the form's state, held as data only
// (FormState.h), and the parts that each do one job on it:
//   FormLoader       fills the form from the file in `state->ref`;
//   FormSaver        writes it back into the file it was loaded from;
//   PlaylistTracker  follows the player's first playlist and applies Vol. Adjust.
// The parts meet only in the state and in FormActions, through which the tracker has the
// form saved and loaded; the methods here are the window's entry points into them.
//
// Threads: every method runs on the window's thread, except the controlsAdded() call at
// the end of construction (and all it reaches), which runs on the thread building the
// window before the window's thread starts. Lock order is controller, then playlist; the
// playlist lock is never held while the form is read from or saved to a file.
#ifndef BRINDLE_WINDOW_PLUGIN_WINDOW_IMPL_H
#define BRINDLE_WINDOW_PLUGIN_WINDOW_IMPL_H

#include <memory>

#include <SupportDefs.h>

#include "window/FormActions.h"
#include "window/PluginWindow.h"

class BMessage;
class BNode;
class FormLoader;
class FormSaver;
class MPopup;
class MTextControl;
class PlaylistTracker;
struct FormState;

// Codes the window sends to itself through its controls.
enum : uint32 {
    MSG_SAVE = '!but',           // the Save button (the layout library's button code)
    MSG_VOLUME_ADJUST = 'AiVa',  // an item chosen in Vol. Adjust
    MSG_GENRE_PICKED = 'AiNl',   // an item chosen in Genre; not handled
    MSG_RATING_PICKED = 'AiRt',  // an item chosen in Rating, even the one already marked
};

class PluginWindow::Impl final : private FormActions {
public:
    // The form's controls are the window's to build into `state` before controlsAdded().
    Impl(PluginWindow *window, SoundPlayController *controller);
    ~Impl();

    Impl(const Impl &) = delete;
    Impl &operator=(const Impl &) = delete;

    // Following the playlist (PlaylistTracker). None reads the message it is given.
    void controlsAdded(BMessage *msg);
    void controlsRemoved(BMessage *msg);
    void playlistCurrent(BMessage *msg);
    void playlistLostControls(BMessage *msg);
    void adjustVolume(int32 value);
    // Reads Vol. Adjust's label, reports the change and applies it (adjustVolume).
    void applyVolumeLabel();

    // Loading (FormLoader). setEditField and setPopup return whether the form shows the
    // stored value exactly; `readStatus`, when given, receives the read's result.
    void readAttrs();
    bool setEditField(BNode &node, const char *name, MTextControl *field);
    bool setPopup(BNode &node, const char *name, MPopup *popup, int32 min, int32 max,
                  int32 defaultValue, ssize_t *readStatus = nullptr);

    // Saving (FormSaver). Save pressed: every field, but an unchanged one that keeps its
    // stored value. saveAttr writes one attribute: B_OK or the failing status.
    void saveAttrs();
    status_t saveAttr(BNode &node, const char *name, MTextControl *field);
    status_t saveAttr(BNode &node, const char *name, const char *text);
    status_t saveAttr(BNode &node, const char *name, MPopup *popup);

    // Escape: puts every field back to its baseline (a Vol. Adjust taken back through the
    // volume step) and says so; false, changing nothing, when nothing was unsaved.
    bool undoEdits();
    // The window is closing: the unsaved edits go to the file, the volume change back.
    void closing();

    // Everything the form knows, reached from outside as `state->ref`, `state->playlist`,
    // `state->titleControl`, ...
    const std::unique_ptr<FormState> state;

private:
    // FormActions, for the tracker.
    SaveResult saveChangedEdits(SaveKind kind) override;
    void loadForm() override;

    const std::unique_ptr<FormLoader> fLoader;
    const std::unique_ptr<FormSaver> fSaver;
    const std::unique_ptr<PlaylistTracker> fTracker;
};

#endif  // BRINDLE_WINDOW_PLUGIN_WINDOW_IMPL_H
