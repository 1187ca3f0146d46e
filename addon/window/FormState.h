// FormState: what the window's parts share, as data only: the player's objects the window
// follows, the file the form belongs to, each field's baseline, the controls, and what the
// window did to the playlist's volume. Below it, the keeping every part does on it the same
// way: reading the fields, taking and restoring baselines, clearing the form, the status line.
//
// The form belongs to one file: the one the last load read (`formNode`), and only if that
// load succeeded (`formLoaded`). Saves write into that file alone, and the automatic ones
// only the fields that differ from their baseline, so a file the user only moved past is
// never written.
//
// Threads: read and written on the window's thread only, except during construction, when
// the thread building the window uses it before the window's thread starts.
#ifndef BRINDLE_WINDOW_FORM_STATE_H
#define BRINDLE_WINDOW_FORM_STATE_H

#include <Entry.h>
#include <StorageDefs.h>
#include <String.h>
#include <SupportDefs.h>

#include <PrivatePlaylist.h>

class MPopup;
class MStringView;
class MTextControl;
class PluginWindow;
class SoundPlayController;

// The form's six fields, in the order a save writes them.
enum FormField {
    FIELD_TITLE,
    FIELD_ARTIST,
    FIELD_ALBUM,
    FIELD_GENRE,
    FIELD_RATING,
    FIELD_VOLUME,
    FIELD_COUNT
};

// What one field held when the form last matched its file (after a load or a save).
struct FieldBaseline {
    // What the form showed: the text, or the marked item's label ("" when none is).
    BString value;
    // The stored value is one the form cannot show exactly (a genre the menu lacks, a
    // text over 256 bytes or with an inner NUL, a number of another type or out of
    // range): unless the user changes the field, no save replaces it.
    bool keepsStored = false;
};

// Which fields a save writes.
struct FieldSet {
    bool fields[FIELD_COUNT] = {};

    bool Has(FormField field) const { return fields[field]; }
    bool Any() const;
    // Title, Artist, Album or Genre: the fields the ID3v1 tag mirrors.
    bool AnyTagField() const;
};

// The empty playlist handle; assigning it lets go of the watched playlist.
extern const PlaylistPtr nullPlaylist;

struct FormState {
    // The player, and the window it sends its notifications to.
    SoundPlayController *controller = nullptr;
    PluginWindow *window = nullptr;
    // The watched playlist; empty when none is.
    PlaylistPtr playlist;
    // The file of the playlist's current item, and whether the playlist names one now.
    entry_ref ref;
    bool haveFile = false;
    // The leaf of the current item's path when it names no file (ref then is empty).
    BString itemName;

    // The controls, owned by the window's view tree.
    MTextControl *titleControl = nullptr;
    MTextControl *albumControl = nullptr;
    MTextControl *artistControl = nullptr;
    MPopup *genrePopup = nullptr;
    MPopup *ratingPopup = nullptr;
    MPopup *volumePopup = nullptr;
    MStringView *statusView = nullptr;

    // Which file the form belongs to and what its fields held there.
    bool formLoaded = false;
    node_ref formNode;
    FieldBaseline baseline[FIELD_COUNT];
    // A Rating item was picked since the load (even the one already marked): only then do
    // the desktop's and the tags' ratings take the form's.
    bool ratingPicked = false;

    // Vol. Adjust's value last applied, and the change that made to the playlist's volume
    // after clamping: what the window gives back when it closes.
    int32 volumeAdjustment = 0;
    float volumeApplied = 0;
};

// The label of `popup`'s marked item into `label`; false when no item is marked.
bool popup_label(const MPopup *popup, BString *label);
// The marked item's label read as a base-10 integer; false when no item is marked.
bool popup_number(const MPopup *popup, int32 *value);

// What `field` shows: the text, or the marked item's label ("" when none is).
BString field_value(const FormState &state, FormField field);
// Whether `field` shows something other than its baseline.
bool field_changed(const FormState &state, FormField field);
// Records what every field shows as its baseline.
void take_baseline(FormState &state, const bool keepsStored[FIELD_COUNT]);
// Puts every changed field back to its baseline and forgets the rating picked; false,
// changing nothing, when nothing was changed. `volumeChanged` says whether Vol. Adjust
// was one of them: its volume step is the caller's to take back.
bool restore_baseline(FormState &state, bool *volumeChanged);
// Empties the form as construction leaves it ("unknown", Rating unmarked, Vol. Adjust "0")
// and lets it belong to no file.
void clear_form(FormState &state);

// The leaf name of `ref`, for the status line.
const char *form_file_name(const FormState &state);
// What the form's edits belong to, for the words of a save that failed: form_file_name(),
// or for an item that names no file the leaf of its path ("" when there is none).
BString edits_name(const FormState &state);
void set_status_line(FormState &state, const BString &text);
// "NAME", "NAME — WHAT" or "NAME — WHAT: REASON", NAME being form_file_name().
void set_file_status(FormState &state, const char *what, const char *reason = nullptr);
BString status_line_text(const FormState &state);

#endif  // BRINDLE_WINDOW_FORM_STATE_H
