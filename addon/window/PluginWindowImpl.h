// PluginWindow::Impl: the window's private record and the form's logic.
//
// Split by concern: PluginWindow.cpp builds the form, routes messages and closes;
// PlaylistTracking.cpp follows the player's first playlist and applies volume
// adjustments; FormLoad.cpp and FormSave.cpp move data between the form and the file in
// `ref`; FormState.cpp keeps what the form knows of its file (which file, what each field
// held when it last matched it) and the status line.
//
// The form belongs to one file: the one the last load read (`formNode`), and only if
// that load succeeded (`formLoaded`). Saves write into that file alone, and the
// automatic ones only the fields that differ from their baseline, so a file the user
// only moved past is never written.
//
// Threads: every method runs on the window's thread, except the controlsAdded() call at
// the end of construction (and all it reaches), which runs on the thread building the
// window before the window's thread starts. Lock order is controller, then playlist; the
// playlist lock is never held while the form is read from or saved to a file.
#ifndef BRINDLE_WINDOW_PLUGIN_WINDOW_IMPL_H
#define BRINDLE_WINDOW_PLUGIN_WINDOW_IMPL_H

#include <Entry.h>
#include <StorageDefs.h>
#include <String.h>
#include <SupportDefs.h>

#include <PrivatePlaylist.h>

#include "window/PluginWindow.h"

class BFile;
class BMessage;
class BNode;
class MPopup;
class MStringView;
class MTextControl;
class file_lock;
class SoundPlayController;

// Codes the window sends to itself through its controls.
enum : uint32 {
    MSG_SAVE = '!but',           // the Save button (the layout library's button code)
    MSG_VOLUME_ADJUST = 'AiVa',  // an item chosen in Vol. Adjust
    MSG_GENRE_PICKED = 'AiNl',   // an item chosen in Genre; not handled
    MSG_RATING_PICKED = 'AiRt',  // an item chosen in Rating, even the one already marked
};

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

class PluginWindow::Impl {
public:
    explicit Impl(PluginWindow *window, SoundPlayController *controller);

    Impl(const Impl &) = delete;
    Impl &operator=(const Impl &) = delete;

    // Playlist tracking (PlaylistTracking.cpp). None reads the message it is given.
    enum CurrentItem { CURRENT_NONE, CURRENT_NO_ENTRY, CURRENT_FOUND };
    // What the watched playlist's current item is; its entry in `found` when it makes one,
    // and the leaf of its path in `name` when it has a path.
    CurrentItem currentItem(entry_ref *found, BString *name);
    void controlsAdded(BMessage *msg);
    void controlsRemoved(BMessage *msg);
    void playlistCurrent(BMessage *msg);
    void playlistLostControls(BMessage *msg);
    void adjustVolume(int32 value);

    // Gives back the volume change this window made to the watched playlist.
    void giveBackVolume();
    // Reads Vol. Adjust's label, reports the change and applies it (adjustVolume).
    void applyVolumeLabel();

    // Form load and save (FormLoad.cpp, FormSave.cpp). setEditField and setPopup return whether the
    // form shows the stored value exactly; saveAttr returns B_OK or the failing status.
    void readAttrs();
    bool setEditField(BNode &node, const char *name, MTextControl *field);
    // `readStatus`, when given, receives the read's result (B_ENTRY_NOT_FOUND: nothing stored).
    bool setPopup(BNode &node, const char *name, MPopup *popup, int32 min, int32 max,
                  int32 defaultValue, ssize_t *readStatus = nullptr);
    // Where other programs look, for what the attributes left empty: the desktop's rating for
    // a file without "Audio:Rating", then the file's own tag (ID3v2 for MPEG, the Vorbis
    // comment or ilst for the other formats) for the texts, an "unknown" Genre and a rating
    // still missing.
    void fillFromOtherPlaces(BFile &file, bool ratingMissing);
    // Save pressed: every field, but an unchanged one that keeps its stored value.
    void saveAttrs();
    // How long a save waits for a file another program holds, and who hears of a failure.
    enum SaveKind {
        SAVE_PRESSED,    // Save: waits SAVE_LOCK_WAIT at most; the status line says what it did
        SAVE_AUTOMATIC,  // the form moves to another file: the same
        SAVE_AT_CLOSE,   // the window goes: no wait at all; a lost edit is said on standard error
    };
    // The automatic save: only the changed fields, and nothing at all when none changed.
    // False when a save was due and did not write everything; the status line (or standard
    // error, at close) says why, and `failure` receives the reason's words.
    bool saveChangedAttrs(SaveKind kind, BString *failure = nullptr);
    status_t saveAttr(BNode &node, const char *name, MTextControl *field);
    status_t saveAttr(BNode &node, const char *name, const char *text);
    status_t saveAttr(BNode &node, const char *name, MPopup *popup);
    // Writes the fields in `write` (and the tag fields and desktop rating that mirror them)
    // into the file the form belongs to; false when it could not write them all, with the
    // status line's reason words in `failure` (set on the status line but at close).
    bool writeFields(const FieldSet &write, SaveKind kind, BString *failure);
    // Opens the file the form belongs to for writing, through `ref`, held in `lock` against
    // other saves (waiting `wait` microseconds at most for another holder): fails (with the
    // status line's reason) when the form belongs to no file, the name now leads to another
    // file, a link to elsewhere or nothing, or another program kept the file locked.
    status_t openFormFile(BFile *file, file_lock *lock, bigtime_t wait, const char **reason);
    // Mirrors the fields of `write` in the ID3v1 tag of an MPEG file, appending one when
    // it has none; false when a tag was due and could not be added. `mirrored` receives the
    // fields the tag was given (all four when it was just appended).
    bool writeTag(BFile &file, const FieldSet &write, FieldSet *mirrored);
    // Mirrors the fields of `mirror` in the file's ID3v2 tag, when it has one. A tag that must grow
    // replaces the file, and the form then belongs to the new one (`formNode`). B_OK, or why
    // the tag was left as it was (REWRITE_HARD_LINKED for a file with other hard links).
    status_t writeId3v2Tag(BFile &file, const FieldSet &mirror);
    // Writes the fields of `write` ID3v1 takes for MPEG into the tag of a FLAC, Ogg Vorbis,
    // Opus or MP4 file (tags/format_tags.h), and, when `ratingChosen`, Rating into every
    // rating convention the file carries (an MPEG file's ID3v2 tag: POPM, FMPS_Rating) and
    // those the players read. As writeId3v2Tag, the form then belongs to the replacement.
    // B_OK, or why the tag was left as it was.
    status_t writeFormatTag(BFile &file, const FieldSet &write, bool ratingChosen);

    // What the form knows of its file (FormState.cpp).
    BString fieldValue(FormField field) const;
    bool fieldChanged(FormField field) const;
    // Records what every field shows as its baseline.
    void takeBaseline(const bool keepsStored[FIELD_COUNT]);
    // Escape: puts every field back to its baseline (a Vol. Adjust taken back through the
    // volume step) and says so; false, changing nothing, when nothing was unsaved.
    bool undoEdits();
    // Empties the form as construction leaves it ("unknown", Rating unmarked, Vol.
    // Adjust "0") and lets it belong to no file.
    void clearForm();
    // The leaf name of `ref`, for the status line.
    const char *fileName() const;
    // What the form's edits belong to, for the words of a save that failed: fileName(), or
    // for an item that names no file the leaf of its path ("" when there is none).
    BString editsName() const;
    void setStatus(const BString &text);
    // "NAME", "NAME — WHAT" or "NAME — WHAT: REASON", NAME being fileName().
    void setFileStatus(const char *what, const char *reason = nullptr);
    BString statusText() const;

    // The window is closing: the unsaved edits go to the file, the volume change back.
    void closing();

    SoundPlayController *controller;
    entry_ref ref;
    PlaylistPtr playlist;
    bool haveFile;
    // The leaf of the current item's path when it names no file (ref then is empty).
    BString itemName;
    int32 volumeAdjustment;
    PluginWindow *window;
    MPopup *genrePopup;
    MTextControl *titleControl;
    MTextControl *albumControl;
    MTextControl *artistControl;
    MPopup *ratingPopup;
    MPopup *volumePopup;

    // Beyond the form: which file it belongs to, what its fields held, what the window
    // did to the playlist's volume, and the line that tells the user.
    bool formLoaded;
    node_ref formNode;
    FieldBaseline baseline[FIELD_COUNT];
    // A Rating item was picked since the load (even the one already marked): only then do
    // the desktop's and the tags' ratings take the form's.
    bool ratingPicked;
    float volumeApplied;
    MStringView *statusView;
};

// The label of `popup`'s marked item into `label`; false when no item is marked.
bool popup_label(const MPopup *popup, BString *label);
// The marked item's label read as a base-10 integer; false when no item is marked.
bool popup_number(const MPopup *popup, int32 *value);

#endif  // BRINDLE_WINDOW_PLUGIN_WINDOW_IMPL_H
