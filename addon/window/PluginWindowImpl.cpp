// PluginWindow::Impl: the window's entry points, each handed to the part that does the job.
#include "window/PluginWindowImpl.h"

#include "window/FormLoader.h"
#include "window/FormSaver.h"
#include "window/FormState.h"
#include "window/PlaylistTracker.h"

PluginWindow::Impl::Impl(PluginWindow *window, SoundPlayController *controller)
    : state(std::make_unique<FormState>()),
      fLoader(std::make_unique<FormLoader>(*state)),
      fSaver(std::make_unique<FormSaver>(*state)),
      fTracker(std::make_unique<PlaylistTracker>(*state, static_cast<FormActions &>(*this))) {
    state->window = window;
    state->controller = controller;
}

// Out of line, where the parts are complete types.
PluginWindow::Impl::~Impl() = default;

void PluginWindow::Impl::controlsAdded(BMessage *msg) {
    fTracker->controlsAdded(msg);
}

void PluginWindow::Impl::controlsRemoved(BMessage *msg) {
    fTracker->controlsRemoved(msg);
}

void PluginWindow::Impl::playlistCurrent(BMessage *msg) {
    fTracker->playlistCurrent(msg);
}

void PluginWindow::Impl::playlistLostControls(BMessage *msg) {
    fTracker->playlistLostControls(msg);
}

void PluginWindow::Impl::adjustVolume(int32 value) {
    fTracker->adjustVolume(value);
}

void PluginWindow::Impl::applyVolumeLabel() {
    fTracker->applyVolumeLabel();
}

void PluginWindow::Impl::readAttrs() {
    fLoader->readAttrs();
}

bool PluginWindow::Impl::setEditField(BNode &node, const char *name, MTextControl *field) {
    return FormLoader::setEditField(node, name, field);
}

bool PluginWindow::Impl::setPopup(BNode &node, const char *name, MPopup *popup, int32 min,
                                  int32 max, int32 defaultValue, ssize_t *readStatus) {
    return FormLoader::setPopup(node, name, popup, min, max, defaultValue, readStatus);
}

void PluginWindow::Impl::saveAttrs() {
    fSaver->saveAttrs();
}

status_t PluginWindow::Impl::saveAttr(BNode &node, const char *name, MTextControl *field) {
    return FormSaver::saveAttr(node, name, field);
}

status_t PluginWindow::Impl::saveAttr(BNode &node, const char *name, const char *text) {
    return FormSaver::saveAttr(node, name, text);
}

status_t PluginWindow::Impl::saveAttr(BNode &node, const char *name, MPopup *popup) {
    return FormSaver::saveAttr(node, name, popup);
}

bool PluginWindow::Impl::undoEdits() {
    bool volumeChanged = false;
    if (!restore_baseline(*state, &volumeChanged))
        return false;
    if (volumeChanged)
        fTracker->applyVolumeLabel();
    if (state->ref.name != nullptr)
        set_file_status(*state, "edits undone");
    else
        set_status_line(*state, "edits undone");
    return true;
}

void PluginWindow::Impl::closing() {
    // Nobody sees the status line any more; the save's lines still say what it did, and
    // standard error what it could not write.
    fSaver->saveChangedAttrs(SAVE_AT_CLOSE);
    fTracker->giveBackVolume();
}

SaveResult PluginWindow::Impl::saveChangedEdits(SaveKind kind) {
    return fSaver->saveChangedAttrs(kind);
}

void PluginWindow::Impl::loadForm() {
    fLoader->readAttrs();
}
