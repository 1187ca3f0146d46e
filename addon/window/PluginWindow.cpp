// PluginWindow: building the form, routing the window's messages, and closing.
#include "window/PluginWindow.h"

#include <cstdio>

#include <Message.h>
#include <MenuItem.h>

#include <DivideSame.h>
#include <HGroup.h>
#include <MButton.h>
#include <MPopup.h>
#include <MStringView.h>
#include <MTextControl.h>
#include <Space.h>
#include <VGroup.h>
#include <minimax.h>

#include <PluginInterface.h>
#include <SoundPlayController.h>

#include "tags/genres.h"
#include "window/FormState.h"
#include "window/PluginId.h"
#include "window/PluginWindowImpl.h"

namespace {

const uint32 kSaveButtonId = 4;

}  // namespace

PluginWindow::PluginWindow(SoundPlayController *controller)
    : MWindow(BRect(200, 200, 0, 0), "Brindle", B_TITLED_WINDOW, B_ASYNCHRONOUS_CONTROLS,
              B_CURRENT_WORKSPACE),
      fImpl(std::make_unique<Impl>(this, controller)) {
    printf("PluginWindow constructor\n");
    FormState &state = *fImpl->state;

    MButton *saveButton =
        new MButton("Save", kSaveButtonId, minimax(-1, -1, 1000000, 1000000, 1.0));
    Space *space = new Space();
    state.volumePopup =
        new MPopup("Vol. Adjust:", {"-4", "-3", "-2", "-1", "0", "1", "2", "3", "4"},
                   new BMessage(MSG_VOLUME_ADJUST), this);
    state.ratingPopup = new MPopup("Rating:", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"},
                                   new BMessage(MSG_RATING_PICKED), this);
    HGroup *buttons = new HGroup({state.ratingPopup, state.volumePopup, space, saveButton});
    state.genrePopup = new MPopup("Genre:", {});
    state.artistControl = new MTextControl("Artist:", "");
    state.albumControl = new MTextControl("Album:", "");
    state.titleControl = new MTextControl("Title:", "");
    // Under the form: what the last load or save did.
    state.statusView = new MStringView("status", "no file");
    VGroup *form = new VGroup(minimax(200, 0, 10000, 10000, 1.0),
                              {state.titleControl, state.albumControl, state.artistControl,
                               state.genrePopup, buttons, state.statusView});
    AddChild(form);

    // Item index equals alpha index; "unknown" ends the menu at UNKNOWN_GENRE_VALUE.
    BMenu *genreMenu = state.genrePopup->Menu();
    for (int32 i = 0; i < NUM_GENRES; i++)
        genreMenu->AddItem(new BMenuItem(alphabetized_genres[i], new BMessage(MSG_GENRE_PICKED)));
    genreMenu->AddItem(new BMenuItem("unknown", new BMessage(MSG_GENRE_PICKED)));

    DivideSame({state.titleControl, state.albumControl, state.artistControl, state.genrePopup,
                state.ratingPopup});
    // "unknown" in Genre, Rating unmarked, "0" in Vol. Adjust: a fresh form changes no
    // genre and no volume, and is its own baseline, so it is never saved unchanged.
    clear_form(state);

    if (controller != nullptr)
        controller->AddListener(this);

    BMessage empty;
    fImpl->controlsAdded(&empty);
}

PluginWindow::~PluginWindow() {
    printf("PluginWindow destructor\n");
    // However the window ends (closed, disabled, the player quitting), its thread has
    // handled all that was sent to it by now: what is left unsaved and the volume change
    // are settled last, here.
    fImpl->closing();
    // Releases the playlist handle and the ref with the record.
    fImpl.reset();
}

void PluginWindow::MessageReceived(BMessage *msg) {
    switch (msg->what) {
        case MSG_CONTROLS_ADDED:
            fImpl->controlsAdded(msg);
            break;
        case MSG_CONTROLS_REMOVED:
            fImpl->controlsRemoved(msg);
            break;
        case MSG_PLAYLIST_CURRENT:
            fImpl->playlistCurrent(msg);
            break;
        case MSG_PLAYLIST_LOST_CONTROLS:
            fImpl->playlistLostControls(msg);
            break;
        case MSG_SAVE:
            fImpl->saveAttrs();
            break;
        case MSG_RATING_PICKED:
            fImpl->state->ratingPicked = true;
            break;
        case MSG_VOLUME_ADJUST:
            // The label as it is now, not as it was when the item was chosen.
            fImpl->applyVolumeLabel();
            break;
        case MSG_UNDO_EDITS:
            // Nothing to take back: the close box's path, here and now, so the player
            // hears of the close while it still waits on this message.
            if (!fImpl->undoEdits())
                QuitRequested();
            break;
        default:
            // Dropped, not passed on: nothing else is meant for this window.
            break;
    }
}

bool PluginWindow::QuitRequested() {
    // The add-on prints this spelling; tools match it.
    printf("PluginWindow::QuiteRequested\n");
    const FormState &form = *fImpl->state;
    if (form.controller != nullptr)
        form.controller->RemoveListener(this);
    // No playlist lock here: the playlist guards its own listener list.
    if (form.playlist)
        form.playlist->RemoveListener(this);
    if (form.controller != nullptr)
        form.controller->DisableInterface(PLUGINID);
    // The player ends the plugin through destroyplugin; quitting here would leave it
    // holding a dead window.
    return false;
}
