// What the form knows of the file it belongs to: each field's baseline, clearing the form,
// and the status line that tells the user what the last load or save did.
#include <cstdlib>

#include <Entry.h>
#include <Menu.h>
#include <MenuItem.h>

#include <MPopup.h>
#include <MStringView.h>
#include <MTextControl.h>

#include "tags/genres.h"
#include "window/PluginWindowImpl.h"

namespace {

// Vol. Adjust's item for "0": a form that belongs to no file changes no volume.
const int32 kNoVolumeChangeItem = 4;

}  // namespace

bool popup_label(const MPopup *popup, BString *label) {
    BMenuItem *item = popup->MenuItem();
    if (item == nullptr)
        return false;
    *label = item->LabelCopy();
    return true;
}

bool popup_number(const MPopup *popup, int32 *value) {
    BString label;
    if (!popup_label(popup, &label))
        return false;
    *value = static_cast<int32>(strtol(label.String(), nullptr, 10));
    return true;
}

bool FieldSet::Any() const {
    for (bool field : fields) {
        if (field)
            return true;
    }
    return false;
}

bool FieldSet::AnyTagField() const {
    return Has(FIELD_TITLE) || Has(FIELD_ARTIST) || Has(FIELD_ALBUM) || Has(FIELD_GENRE);
}

BString PluginWindow::Impl::fieldValue(FormField field) const {
    BString value;
    switch (field) {
        case FIELD_TITLE:
            return titleControl->TextCopy();
        case FIELD_ARTIST:
            return artistControl->TextCopy();
        case FIELD_ALBUM:
            return albumControl->TextCopy();
        case FIELD_GENRE:
            popup_label(genrePopup, &value);
            break;
        case FIELD_RATING:
            popup_label(ratingPopup, &value);
            break;
        case FIELD_VOLUME:
            popup_label(volumePopup, &value);
            break;
        case FIELD_COUNT:
            break;
    }
    return value;
}

bool PluginWindow::Impl::fieldChanged(FormField field) const {
    // Typing a field and typing its old text back is no change.
    return fieldValue(field) != baseline[field].value;
}

void PluginWindow::Impl::takeBaseline(const bool keepsStored[FIELD_COUNT]) {
    for (int32 field = 0; field < FIELD_COUNT; field++) {
        baseline[field].value = fieldValue(static_cast<FormField>(field));
        baseline[field].keepsStored = keepsStored[field];
    }
}

namespace {

// Marks the item labelled `label` without sending its message; "" unmarks every item.
void mark_label(MPopup *popup, const BString &label) {
    BMenu *menu = popup->Menu();
    BMenuItem *item = label.IsEmpty() ? nullptr : menu->FindItem(label.String());
    if (item != nullptr) {
        popup->SetActive(menu->IndexOf(item), false);
    } else if (BMenuItem *marked = popup->MenuItem()) {
        marked->SetMarked(false);
    }
}

}  // namespace

bool PluginWindow::Impl::undoEdits() {
    bool changed[FIELD_COUNT];
    bool any = false;
    for (int32 field = 0; field < FIELD_COUNT; field++) {
        changed[field] = fieldChanged(static_cast<FormField>(field));
        any = any || changed[field];
    }
    if (!any)
        return false;
    MTextControl *texts[] = {titleControl, artistControl, albumControl};
    for (int32 field = FIELD_TITLE; field <= FIELD_ALBUM; field++) {
        if (changed[field])
            texts[field - FIELD_TITLE]->SetText(baseline[field].value.String());
    }
    MPopup *popups[] = {genrePopup, ratingPopup, volumePopup};
    for (int32 field = FIELD_GENRE; field <= FIELD_VOLUME; field++) {
        if (changed[field])
            mark_label(popups[field - FIELD_GENRE], baseline[field].value);
    }
    if (changed[FIELD_VOLUME])
        applyVolumeLabel();
    // The rating picked is taken back with the rest.
    ratingPicked = false;
    if (ref.name != nullptr)
        setFileStatus("edits undone");
    else
        setStatus("edits undone");
    return true;
}

void PluginWindow::Impl::clearForm() {
    titleControl->SetText("");
    albumControl->SetText("");
    artistControl->SetText("");
    genrePopup->SetActive(UNKNOWN_GENRE_VALUE, false);
    if (BMenuItem *rating = ratingPopup->MenuItem())
        rating->SetMarked(false);
    volumePopup->SetActive(kNoVolumeChangeItem, false);
    const bool keepsNothing[FIELD_COUNT] = {};
    takeBaseline(keepsNothing);
    ratingPicked = false;
    formLoaded = false;
    formNode = node_ref();
}

const char *PluginWindow::Impl::fileName() const {
    return ref.name != nullptr ? ref.name : "";
}

BString PluginWindow::Impl::editsName() const {
    return ref.name != nullptr ? BString(ref.name) : itemName;
}

void PluginWindow::Impl::setFileStatus(const char *what, const char *reason) {
    BString text(fileName());
    if (what != nullptr) {
        text += " \xE2\x80\x94 ";  // an em dash
        text += what;
    }
    if (reason != nullptr) {
        text += ": ";
        text += reason;
    }
    if (statusView == nullptr)
        return;
    // Two files may share a name: hovering the line shows which one. Set before the text,
    // so the new words never go out with another file's path.
    BString path;
    BEntry entry(&ref);
    statusView->SetToolTip(entry.GetPath(&path) == B_OK ? path.String() : nullptr);
    statusView->SetText(text.String());
}

void PluginWindow::Impl::setStatus(const BString &text) {
    if (statusView == nullptr)
        return;
    statusView->SetToolTip(nullptr);
    statusView->SetText(text.String());
}

BString PluginWindow::Impl::statusText() const {
    return statusView != nullptr ? statusView->TextCopy() : BString();
}
