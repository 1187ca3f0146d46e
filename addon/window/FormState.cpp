// The keeping every part of the window does on the form's state: each field's value and
// baseline, clearing the form, and the status line that tells the user what the last load
// or save did.
#include <cstdlib>

#include <Entry.h>
#include <Menu.h>
#include <MenuItem.h>

#include <MPopup.h>
#include <MStringView.h>
#include <MTextControl.h>

#include "tags/genres.h"
#include "window/FormState.h"

namespace {

// Vol. Adjust's item for "0": a form that belongs to no file changes no volume.
const int32 kNoVolumeChangeItem = 4;

}  // namespace

const PlaylistPtr nullPlaylist(nullptr);

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

BString field_value(const FormState &state, FormField field) {
    BString value;
    switch (field) {
        case FIELD_TITLE:
            return state.titleControl->TextCopy();
        case FIELD_ARTIST:
            return state.artistControl->TextCopy();
        case FIELD_ALBUM:
            return state.albumControl->TextCopy();
        case FIELD_GENRE:
            popup_label(state.genrePopup, &value);
            break;
        case FIELD_RATING:
            popup_label(state.ratingPopup, &value);
            break;
        case FIELD_VOLUME:
            popup_label(state.volumePopup, &value);
            break;
        case FIELD_COUNT:
            break;
    }
    return value;
}

bool field_changed(const FormState &state, FormField field) {
    // Typing a field and typing its old text back is no change.
    return field_value(state, field) != state.baseline[field].value;
}

void take_baseline(FormState &state, const bool keepsStored[FIELD_COUNT]) {
    for (int32 field = 0; field < FIELD_COUNT; field++) {
        state.baseline[field].value = field_value(state, static_cast<FormField>(field));
        state.baseline[field].keepsStored = keepsStored[field];
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

bool restore_baseline(FormState &state, bool *volumeChanged) {
    bool changed[FIELD_COUNT];
    bool any = false;
    for (int32 field = 0; field < FIELD_COUNT; field++) {
        changed[field] = field_changed(state, static_cast<FormField>(field));
        any = any || changed[field];
    }
    *volumeChanged = changed[FIELD_VOLUME];
    if (!any)
        return false;
    MTextControl *texts[] = {state.titleControl, state.artistControl, state.albumControl};
    for (int32 field = FIELD_TITLE; field <= FIELD_ALBUM; field++) {
        if (changed[field])
            texts[field - FIELD_TITLE]->SetText(state.baseline[field].value.String());
    }
    MPopup *popups[] = {state.genrePopup, state.ratingPopup, state.volumePopup};
    for (int32 field = FIELD_GENRE; field <= FIELD_VOLUME; field++) {
        if (changed[field])
            mark_label(popups[field - FIELD_GENRE], state.baseline[field].value);
    }
    // The rating picked is taken back with the rest.
    state.ratingPicked = false;
    return true;
}

void clear_form(FormState &state) {
    state.titleControl->SetText("");
    state.albumControl->SetText("");
    state.artistControl->SetText("");
    state.genrePopup->SetActive(UNKNOWN_GENRE_VALUE, false);
    if (BMenuItem *rating = state.ratingPopup->MenuItem())
        rating->SetMarked(false);
    state.volumePopup->SetActive(kNoVolumeChangeItem, false);
    const bool keepsNothing[FIELD_COUNT] = {};
    take_baseline(state, keepsNothing);
    state.ratingPicked = false;
    state.formLoaded = false;
    state.formNode = node_ref();
}

const char *form_file_name(const FormState &state) {
    return state.ref.name != nullptr ? state.ref.name : "";
}

BString edits_name(const FormState &state) {
    return state.ref.name != nullptr ? BString(state.ref.name) : state.itemName;
}

void set_file_status(FormState &state, const char *what, const char *reason) {
    BString text(form_file_name(state));
    if (what != nullptr) {
        text += " \xE2\x80\x94 ";  // an em dash
        text += what;
    }
    if (reason != nullptr) {
        text += ": ";
        text += reason;
    }
    if (state.statusView == nullptr)
        return;
    // Two files may share a name: hovering the line shows which one. Set before the text,
    // so the new words never go out with another file's path.
    BString path;
    BEntry entry(&state.ref);
    state.statusView->SetToolTip(entry.GetPath(&path) == B_OK ? path.String() : nullptr);
    state.statusView->SetText(text.String());
}

void set_status_line(FormState &state, const BString &text) {
    if (state.statusView == nullptr)
        return;
    state.statusView->SetToolTip(nullptr);
    state.statusView->SetText(text.String());
}

BString status_line_text(const FormState &state) {
    return state.statusView != nullptr ? state.statusView->TextCopy() : BString();
}
