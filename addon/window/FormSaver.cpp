// Writing the form into the file it was loaded from: the attributes, and as mirrors the
// file's own tags: for MPEG files the ID3v1 tag and an existing ID3v2 tag, for FLAC, Ogg
// Vorbis, Opus and MP4 their comment block or ilst; a Rating the person chose also goes to
// the desktop's own rating and every rating convention of the tags. Nothing is written into any
// other file; the status line says what the save did.
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include <Errors.h>
#include <File.h>
#include <Node.h>

#include <MPopup.h>
#include <MTextControl.h>

#include "support/str.h"
#include "tags/desktop_rating.h"
#include "tags/id3v1/encoding.h"
#include "tags/file_lock.h"
#include "tags/format_tags.h"
#include "tags/genres.h"
#include "tags/id3v2/id3v2.h"
#include "tags/safe_rewrite.h"
#include "tags/save_check.h"
#include "tags/attributes.h"
#include "tags/id3v1/id3v1.h"
#include "window/FormSaver.h"
#include "window/FormState.h"

namespace {

const char kChangedOnDisk[] = "the file changed on disk";
const char kHeldElsewhere[] = "another program is writing it";
const char kNoFile[] = "no file";

// Why a save did not write, in the status line's words.
const char *save_failure_reason(status_t status) {
    switch (status) {
        case B_PERMISSION_DENIED:
        case B_NOT_ALLOWED:
        case B_READ_ONLY_DEVICE:
            return "read-only file";
        case B_UNSUPPORTED:
            return "this file system keeps no attributes";
        case B_DEVICE_FULL:
            return "the disk is full";
        case B_ENTRY_NOT_FOUND:
            return "the file is gone";
        case B_BUSY:
            return kHeldElsewhere;
        default:
            return "the file cannot be written";
    }
}

// `parts` one after another.
BString joined(std::initializer_list<const char *> parts) {
    BString text;
    for (const char *part : parts)
        text += part;
    return text;
}

// Why a file's own tag (ID3v2, or another format's) was left as it was, in the status
// line's words.
BString tag_failure_reason(status_t status) {
    if (const char *what = check_failure_words(status))
        return joined({"the written copy did not check out (", what, ")"});
    switch (status) {
        case TAG_FRAGMENTED_MP4:
            return "fragmented MP4 files are not written";
        case TAG_MULTIPLEXED_OGG:
            return "multiplexed Ogg files are not written";
        case TAG_FLAC_DAMAGED:
            return "its FLAC metadata is damaged";
        case REWRITE_KEPT_ASIDE:
            return joined({kChangedOnDisk, " (the other program's file is kept as ",
                           rewrite_kept_name(), ")"});
        case B_BUSY:
            return kHeldElsewhere;
        case REWRITE_HARD_LINKED:
            return "the file has other hard links";
        case REWRITE_FILE_CHANGED:
            return kChangedOnDisk;
        case B_BAD_DATA:
            return "the tag is damaged";
        case TAG_NOT_WRITABLE:
            return "an ID3v2.2 tag takes no rating";
        case B_MISSING_LIBRARY:
            return "TagLib is missing";
        case B_PERMISSION_DENIED:
        case B_READ_ONLY_DEVICE:
            return "its folder is read-only";
        case B_NOT_ALLOWED:
            return "its owner cannot be kept";
        case REWRITE_FOLDER_LOCKED:
            return "its folder cannot be changed";
        case REWRITE_ATTRIBUTE_NOT_KEPT:
            return "one of its attributes cannot be carried over";
        case REWRITE_FLAGS_NOT_KEPT:
            return "its file flags cannot be kept";
        case B_DEVICE_FULL:
            return "the disk is full";
        case B_UNSUPPORTED:
            return "its attributes cannot be carried over";
        default:
            return "the file cannot be rewritten";
    }
}

// After a rewrite `file` is the old file no name leads to: it becomes the replacement, which
// must still be under the name, locked for the rest of the save.
status_t follow_replacement(BFile *file, const entry_ref &ref, const node_ref &replacement,
                            file_lock *lock, bigtime_t wait) {
    status_t status = file->SetTo(&ref, B_READ_WRITE);
    node_ref found;
    if (status == B_OK && (file->GetNodeRef(&found) != B_OK || found != replacement))
        status = REWRITE_FILE_CHANGED;
    if (status == B_OK)
        status = lock->Lock(*file, wait);
    return status;
}

// The texts and genre of `fields` as a tag's changes (id3v2_changes and format_changes alike):
// a field not in `fields` stays as the tag has it.
template <typename Changes>
void take_tag_fields(const FormState &state, const FieldSet &fields, Changes *changes) {
    if (fields.Has(FIELD_TITLE))
        changes->title = state.titleControl->Text();
    if (fields.Has(FIELD_ARTIST))
        changes->artist = state.artistControl->Text();
    if (fields.Has(FIELD_ALBUM))
        changes->album = state.albumControl->Text();
    BString genreLabel;
    // "unknown" leaves the tag's genre as it was, as in ID3v1.
    if (fields.Has(FIELD_GENRE) && popup_label(state.genrePopup, &genreLabel))
        changes->genre = get_genre_id(genreLabel.String());
}

}  // namespace

FormSaver::FormSaver(FormState &state) : fState(state) {}

void FormSaver::saveAttrs() {
    FieldSet write;
    for (int32 field = 0; field < FIELD_COUNT; field++) {
        write.fields[field] = field_changed(fState, static_cast<FormField>(field)) ||
                              !fState.baseline[field].keepsStored;
    }
    writeFields(write, SAVE_PRESSED);
}

SaveResult FormSaver::saveChangedAttrs(SaveKind kind) {
    FieldSet write;
    for (int32 field = 0; field < FIELD_COUNT; field++)
        write.fields[field] = field_changed(fState, static_cast<FormField>(field));
    // Nothing changed: the file is not even opened.
    if (!write.Any())
        return SaveResult();
    const SaveResult result = writeFields(write, kind);
    // Nobody sees the status line any more: an edit that did not reach the file (or had no
    // file to go to) is said here.
    if (!result.Saved() && kind == SAVE_AT_CLOSE) {
        const BString name = edits_name(fState);
        fprintf(stderr, "brindle: edits %s%s not saved: %s\n", name.IsEmpty() ? "" : "to ",
                name.String(), result.reason.String());
    }
    return result;
}

SaveResult FormSaver::writeFields(const FieldSet &write, SaveKind kind) {
    const bool quiet = kind == SAVE_AT_CLOSE;
    // At close nothing may wait: the player may be quitting on a signal.
    const bigtime_t wait = quiet ? 0 : SAVE_LOCK_WAIT;
    BFile file;
    file_lock lock;
    const SaveResult opened = openFormFile(&file, &lock, wait);
    if (!opened.Saved()) {
        printf("Failed to init node\n");
        if (quiet)
            return opened;
        if (!fState.formLoaded)
            set_status_line(fState, kNoFile);
        else
            set_file_status(fState, "not saved", opened.reason.String());
        return opened;
    }

    // The desktop's and the tags' ratings take the form's only when the person chose it: the
    // form shows "1" for a file nobody rated, which is no rating of theirs.
    const bool ratingChosen = write.Has(FIELD_RATING) && fState.ratingPicked;
    // What was written becomes the field's baseline; the first failure is the reason.
    status_t attributeFailure = B_OK;
    auto record = [&](FormField field, status_t status) {
        if (status == B_OK) {
            fState.baseline[field].value = field_value(fState, field);
            fState.baseline[field].keepsStored = false;
        } else if (attributeFailure == B_OK) {
            attributeFailure = status;
        }
    };
    if (write.Has(FIELD_TITLE))
        record(FIELD_TITLE, saveAttr(file, AUDIO_TITLE_ATTR, fState.titleControl));
    if (write.Has(FIELD_ARTIST))
        record(FIELD_ARTIST, saveAttr(file, AUDIO_ARTIST_ATTR, fState.artistControl));
    if (write.Has(FIELD_ALBUM))
        record(FIELD_ALBUM, saveAttr(file, AUDIO_ALBUM_ATTR, fState.albumControl));
    if (write.Has(FIELD_GENRE)) {
        BString genreLabel;
        if (popup_label(fState.genrePopup, &genreLabel)) {
            record(FIELD_GENRE, saveAttr(file, AUDIO_GENRE_ATTR, genreLabel.String()));
        } else {
            printf("Failed to save attribute %s\n", AUDIO_GENRE_ATTR);
            record(FIELD_GENRE, B_BAD_VALUE);
        }
    }
    if (write.Has(FIELD_RATING)) {
        status_t status = saveAttr(file, AUDIO_RATING_ATTR, fState.ratingPopup);
        int32 rating;
        // The desktop keeps the same number (0 to 10), as text, where its tools look.
        if (status == B_OK && ratingChosen && popup_number(fState.ratingPopup, &rating))
            status = write_desktop_rating(file, rating);
        record(FIELD_RATING, status);
    }
    if (write.Has(FIELD_VOLUME))
        record(FIELD_VOLUME, saveAttr(file, AUDIO_VOLUME_ADJUSTMENT_ATTR, fState.volumePopup));

    FieldSet mirrored;
    const bool tagWritten = writeTag(file, write, &mirrored);
    // The ID3v2 tag follows the ID3v1 tag, but only with the fields this save writes: a
    // fresh ID3v1 tag takes all four, an existing ID3v2 tag keeps what was not edited.
    FieldSet id3v2Fields;
    for (FormField field : {FIELD_TITLE, FIELD_ARTIST, FIELD_ALBUM, FIELD_GENRE})
        id3v2Fields.fields[field] = mirrored.Has(field) && write.Has(field);
    // Last, since a tag that must grow replaces the file with a copy of all written above.
    const node_ref written = fState.formNode;
    const status_t id3v2Status = writeId3v2Tag(file, id3v2Fields);
    // The other formats' own tag takes what ID3v1 takes for MPEG, and every tag the rating;
    // after a replacement, in the new file under the name, held as the old one was.
    file_lock replacementLock;
    status_t formatStatus = B_OK;
    if (fState.formNode != written)
        formatStatus =
            follow_replacement(&file, fState.ref, fState.formNode, &replacementLock, wait);
    if (formatStatus == B_OK)
        formatStatus = writeFormatTag(file, write, ratingChosen);

    // The first failure in the order the line ranks them: the attributes, then the tags.
    SaveResult result;
    const char *what = "saved";
    if (attributeFailure != B_OK) {
        what = "not saved";
        result = {attributeFailure, save_failure_reason(attributeFailure)};
    } else if (!tagWritten) {
        what = "not saved";
        result = {B_ERROR, "the ID3v1 tag could not be added"};
    } else if (id3v2Status != B_OK) {
        what = "saved, but not in its ID3v2 tag";
        result = {id3v2Status, tag_failure_reason(id3v2Status)};
    } else if (formatStatus != B_OK) {
        what = "saved, but not in its tag";
        result = {formatStatus, tag_failure_reason(formatStatus)};
    }
    if (!quiet)
        set_file_status(fState, what, result.Saved() ? nullptr : result.reason.String());
    return result;
}

SaveResult FormSaver::openFormFile(BFile *file, file_lock *lock, bigtime_t wait) {
    if (!fState.formLoaded)
        return {B_NO_INIT, kNoFile};
    // Checked before opening for writing, so no other file is ever opened for writing.
    BNode node(&fState.ref);
    node_ref found;
    status_t status = node.InitCheck();
    if (status != B_OK)
        return {status,
                status == B_ENTRY_NOT_FOUND ? "the file is gone" : "the file cannot be opened"};
    if (node.GetNodeRef(&found) != B_OK || found != fState.formNode)
        return {B_MISMATCHED_VALUES, kChangedOnDisk};
    // Held for the whole save, so two saves of one file take turns. A save that waited finds
    // the name leading elsewhere below when the other one replaced the file: it writes nothing.
    status = lock->Lock(node, wait);
    if (status == B_OK)
        status = file->SetTo(&fState.ref, B_READ_WRITE);
    if (status != B_OK)
        return {status, save_failure_reason(status)};
    // The name may have been swapped since the first open, by another save too.
    if (file->GetNodeRef(&found) != B_OK || found != fState.formNode) {
        file->Unset();
        return {B_MISMATCHED_VALUES, kChangedOnDisk};
    }
    return SaveResult();
}

bool FormSaver::writeTag(BFile &file, const FieldSet &write, FieldSet *mirrored) {
    *mirrored = FieldSet();
    // The tag mirrors Title, Artist, Album and Genre; a save of none of them leaves it.
    if (!write.AnyTagField())
        return true;
    FieldSet mirror = write;
    id3_trailer trailer;
    if (!has_id3_info(file, &trailer)) {
        if (!is_mp3_file(file))
            return true;
        if (!add_id3_info(file)) {
            // An empty file gets no tag, and that is no failure.
            off_t size = 0;
            return file.GetSize(&size) == B_OK && size == 0;
        }
        // The tag just added, where it landed.
        if (!read_id3_trailer(file, &trailer))
            return false;
        // A new tag holds nothing yet: all four fields go in.
        mirror.fields[FIELD_TITLE] = mirror.fields[FIELD_ARTIST] = true;
        mirror.fields[FIELD_ALBUM] = mirror.fields[FIELD_GENRE] = true;
    }

    // One encoding per tag: Latin-1 when every text can be, else UTF-8 for all of them, the
    // texts left as they are re-encoded (never changed) to follow.
    struct {
        FormField field;
        int64 offset;
        MTextControl *control;
        vesk::str_t text;
    } texts[] = {{FIELD_TITLE, ID3_TITLE_OFFSET, fState.titleControl, {}},
                 {FIELD_ARTIST, ID3_ARTIST_OFFSET, fState.artistControl, {}},
                 {FIELD_ALBUM, ID3_ALBUM_OFFSET, fState.albumControl, {}}};
    bool latin1 = true;
    for (auto &text : texts) {
        text.text = mirror.Has(text.field) ? vesk::str_t(text.control->Text())
                                           : get_id3_string(trailer, text.offset, ID3_TEXT_LENGTH);
        latin1 = latin1 && has_latin1_form(text.text.c_str());
    }
    printf("Saving id3 info\n");
    for (const auto &text : texts) {
        if (mirror.Has(text.field) || !latin1)
            write_id3_string(file, &trailer, text.offset, text.text.c_str(), ID3_TEXT_LENGTH,
                             latin1);
    }
    BString genreLabel;
    if (mirror.Has(FIELD_GENRE) && popup_label(fState.genrePopup, &genreLabel)) {
        uint8 id = get_genre_id(genreLabel.String());
        // "unknown" leaves the tag's genre byte as it was.
        if (id != UNKNOWN_GENRE_VALUE)
            write_id3_byte(file, &trailer, ID3_GENRE_OFFSET, id);
    }
    printf("Saved id3 info\n");
    *mirrored = mirror;
    return true;
}

status_t FormSaver::writeId3v2Tag(BFile &file, const FieldSet &mirror) {
    if (!mirror.AnyTagField() || !has_id3v2_tag(file))
        return B_OK;
    id3v2_changes changes;
    take_tag_fields(fState, mirror, &changes);

    printf("Saving id3v2 info\n");
    bool replaced = false;
    node_ref replacement;
    status_t status = write_id3v2_fields(file, changes, &replaced, &replacement);
    // The file under the name is a new one now; the form belongs to it.
    if (replaced)
        fState.formNode = replacement;
    if (status == B_OK)
        printf("Saved id3v2 info\n");
    else
        printf("Failed to save id3v2 info\n");
    return status;
}

status_t FormSaver::writeFormatTag(BFile &file, const FieldSet &write, bool ratingChosen) {
    tag_format format;
    format_changes changes;
    if (has_mpeg_type(file)) {
        // An MPEG file's ID3v2 tag has its texts from writeId3v2Tag: here only its ratings.
        if (!ratingChosen || !has_id3v2_tag(file))
            return B_OK;
        format = TAG_FORMAT_ID3V2;
    } else {
        if ((!write.AnyTagField() && !ratingChosen) || !get_tag_format(file, &format))
            return B_OK;
        take_tag_fields(fState, write, &changes);
    }
    if (ratingChosen && !popup_number(fState.ratingPopup, &changes.rating))
        changes.rating = 0;

    bool replaced = false;
    node_ref replacement;
    status_t status = write_format_fields(file, format, changes, &replaced, &replacement);
    // The file under the name is a new one now; the form belongs to it.
    if (replaced)
        fState.formNode = replacement;
    return status;
}

status_t FormSaver::saveAttr(BNode &node, const char *name, MTextControl *field) {
    return saveAttr(node, name, field->Text());
}

status_t FormSaver::saveAttr(BNode &node, const char *name, const char *text) {
    // The terminating NUL is stored too.
    ssize_t written = node.WriteAttr(name, AUDIO_TEXT_TYPE, 0, text, strlen(text) + 1);
    if (written < 0) {
        printf("Failed to save attribute %s\n", name);
        return static_cast<status_t>(written);
    }
    return B_OK;
}

status_t FormSaver::saveAttr(BNode &node, const char *name, MPopup *popup) {
    int32 value;
    // Nothing marked: no value to store.
    if (!popup_number(popup, &value)) {
        printf("Failed to save attribute %s\n", name);
        return B_BAD_VALUE;
    }
    ssize_t written = node.WriteAttr(name, AUDIO_NUMBER_TYPE, 0, &value, sizeof(value));
    if (written != sizeof(value)) {
        printf("Failed to save attribute %s\n", name);
        return written < 0 ? static_cast<status_t>(written) : B_ERROR;
    }
    return B_OK;
}
