// Moving data between the form and the file in `ref`: attributes, with the ID3v1 tag of
// MPEG files as fallback on load and as a mirror on save. A save writes only into the
// file the form was loaded from, and says on the status line what it did.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <Errors.h>
#include <File.h>
#include <MenuItem.h>
#include <Node.h>

#include <MPopup.h>
#include <MTextControl.h>

#include "support/str.h"
#include "tags/encoding.h"
#include "tags/genres.h"
#include "tags/util.h"
#include "window/PluginWindowImpl.h"

namespace {

const char kChangedOnDisk[] = "the file changed on disk";

// A read that found nothing stored: the attribute is missing, or the file system keeps
// no attributes at all. Writing what the form shows then loses nothing.
bool nothing_stored(ssize_t status) {
    return status == B_ENTRY_NOT_FOUND || status == B_UNSUPPORTED;
}

// Whether the stored text attribute `name` is exactly `shown`, the text the form read from
// it: a 'CSTR' value of valid UTF-8 that ends at its NUL (or at its end), at most
// AUDIO_TEXT_ATTR_SIZE bytes long.
bool stored_text_is(const BNode &node, const char *name, const char *shown) {
    attr_info info;
    if (node.GetAttrInfo(name, &info) != B_OK)
        return false;
    const off_t length = static_cast<off_t>(strlen(shown));
    if (info.type != AUDIO_TEXT_TYPE || !is_valid_utf8(shown, static_cast<size_t>(length)))
        return false;
    if (info.size == length)
        return length <= static_cast<off_t>(AUDIO_TEXT_ATTR_SIZE);
    if (info.size != length + 1)
        return false;
    if (length < static_cast<off_t>(AUDIO_TEXT_ATTR_SIZE))
        return true;  // the byte after the text was read, and it is the NUL
    // A text that fills the buffer: the byte past it must be its NUL, not more text.
    char next = 1;
    return node.ReadAttr(name, AUDIO_TEXT_TYPE, length, &next, 1) == 1 && next == '\0';
}

// Whether the stored number attribute `name` is a 'LONG' of 4 bytes; the caller checks
// the range.
bool stored_number_is_long(const BNode &node, const char *name) {
    attr_info info;
    return node.GetAttrInfo(name, &info) == B_OK && info.type == AUDIO_NUMBER_TYPE &&
           info.size == sizeof(int32);
}

// Whether the form shows the stored genre as it is: a name of the menu, or "unknown".
// One it lacks ("Shoegaze", or an empty text) shows as "unknown", which is not the same.
bool stored_genre_is(const BNode &node, const char *genre, uint8 alphaIndex) {
    attr_info info;
    status_t status = node.GetAttrInfo(AUDIO_GENRE_ATTR, &info);
    if (status != B_OK)
        return nothing_stored(status);
    return (alphaIndex != UNKNOWN_GENRE_VALUE || strcmp(genre, "unknown") == 0) &&
           stored_text_is(node, AUDIO_GENRE_ATTR, genre);
}

// Why a file could not be loaded, in the status line's words.
const char *load_failure_reason(status_t status) {
    switch (status) {
        case B_ENTRY_NOT_FOUND:
            return "no such file";
        case B_PERMISSION_DENIED:
        case B_NOT_ALLOWED:
            return "permission denied";
        case B_IS_A_DIRECTORY:
            return "a folder";
        case B_BAD_TYPE:
            return "not a regular file";
        default:
            return "cannot be opened";
    }
}

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
        default:
            return "the file cannot be written";
    }
}

// "NAME", "NAME — WHAT" or "NAME — WHAT: REASON".
BString status_line(const char *name, const char *what = nullptr, const char *reason = nullptr) {
    BString text(name);
    if (what != nullptr) {
        text += " \xE2\x80\x94 ";  // an em dash
        text += what;
    }
    if (reason != nullptr) {
        text += ": ";
        text += reason;
    }
    return text;
}

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

void PluginWindow::Impl::readAttrs() {
    BFile file(&ref, B_READ_ONLY);
    node_ref node;
    status_t status = file.InitCheck();
    if (status == B_OK)
        status = file.GetNodeRef(&node);
    if (status != B_OK) {
        // Nothing of the previous file may stay: a save would take it for this one's.
        clearForm();
        setStatus(status_line(fileName(), "not loaded", load_failure_reason(status)));
        return;
    }

    // From here on every control is set, so nothing of the previous file stays.
    bool exact[FIELD_COUNT];
    exact[FIELD_ALBUM] = setEditField(file, AUDIO_ALBUM_ATTR, albumControl);
    exact[FIELD_ARTIST] = setEditField(file, AUDIO_ARTIST_ATTR, artistControl);

    vesk::str_t genre = get_string_attr(file, AUDIO_GENRE_ATTR);
    printf("Getting genre id...");
    uint8 genreIndex = get_genre_alpha_index(genre.c_str());
    printf("done - %d\n", genreIndex);
    printf("Setting genre popup...");
    genrePopup->SetActive(genreIndex, false);
    printf("done\n");
    // A name the menu lacks ("Shoegaze") shows as "unknown": not the stored value.
    exact[FIELD_GENRE] = stored_genre_is(file, genre.c_str(), genreIndex);

    exact[FIELD_RATING] =
        setPopup(file, AUDIO_RATING_ATTR, ratingPopup, RATING_MIN, RATING_MAX, RATING_DEFAULT);
    exact[FIELD_VOLUME] =
        setPopup(file, AUDIO_VOLUME_ADJUSTMENT_ATTR, volumePopup, VOLUME_ADJUSTMENT_MIN,
                 VOLUME_ADJUSTMENT_MAX, VOLUME_ADJUSTMENT_DEFAULT);
    exact[FIELD_TITLE] = setEditField(file, AUDIO_TITLE_ATTR, titleControl);

    if (has_id3_info(file)) {
        if (albumControl->TextLength() == 0)
            albumControl->SetText(get_id3_string(file, ID3_ALBUM_OFFSET, ID3_TEXT_LENGTH).c_str());
        if (artistControl->TextLength() == 0)
            artistControl->SetText(
                get_id3_string(file, ID3_ARTIST_OFFSET, ID3_TEXT_LENGTH).c_str());
        BString genreLabel;
        if (popup_label(genrePopup, &genreLabel) && genreLabel == "unknown") {
            uint8 id = get_id3_byte(file, ID3_GENRE_OFFSET);
            // Ids past the table (255 is common for "none") select "unknown".
            uint8 index =
                id >= NUM_GENRES ? UNKNOWN_GENRE_VALUE : get_genre_alpha_index(genres[id]);
            genrePopup->SetActive(index, false);
        }
        if (titleControl->TextLength() == 0)
            titleControl->SetText(get_id3_string(file, ID3_TITLE_OFFSET, ID3_TEXT_LENGTH).c_str());
    }

    // A form just loaded is ready for typing the title.
    titleControl->MakeFocus(true);

    bool keepsStored[FIELD_COUNT];
    for (int32 field = 0; field < FIELD_COUNT; field++)
        keepsStored[field] = !exact[field];
    takeBaseline(keepsStored);
    formLoaded = true;
    formNode = node;
    setStatus(status_line(fileName(), has_mpeg_type(file) ? nullptr : "not an MPEG file"));
}

bool PluginWindow::Impl::setEditField(BNode &node, const char *name, MTextControl *field) {
    char buffer[AUDIO_TEXT_ATTR_SIZE + 1];
    ssize_t length = node.ReadAttr(name, AUDIO_TEXT_TYPE, 0, buffer, AUDIO_TEXT_ATTR_SIZE);
    if (length < 0) {
        field->SetText("");
        return nothing_stored(length);
    }
    buffer[length] = '\0';
    printf("Setting %s: %s\n", name, buffer);
    field->SetText(buffer);
    return stored_text_is(node, name, buffer);
}

bool PluginWindow::Impl::setPopup(BNode &node, const char *name, MPopup *popup, int32 min,
                                  int32 max, int32 defaultValue) {
    int32 value = defaultValue;
    bool exact = true;
    // A stored value shorter than four bytes replaces only the low-order bytes.
    ssize_t count = B_NO_INIT;
    if (node.InitCheck() == B_OK)
        count = node.ReadAttr(name, AUDIO_NUMBER_TYPE, 0, &value, sizeof(value));
    if (count >= 0) {
        exact = value >= min && value <= max && stored_number_is_long(node, name);
        if (value > max)
            value = max;
        if (value < min)
            value = min;
    } else {
        exact = nothing_stored(count);
    }
    popup->SetActive(value - min, false);
    return exact;
}

void PluginWindow::Impl::saveAttrs() {
    FieldSet write;
    for (int32 field = 0; field < FIELD_COUNT; field++) {
        write.fields[field] =
            fieldChanged(static_cast<FormField>(field)) || !baseline[field].keepsStored;
    }
    writeFields(write, false);
}

bool PluginWindow::Impl::saveChangedAttrs(bool quiet) {
    FieldSet write;
    for (int32 field = 0; field < FIELD_COUNT; field++)
        write.fields[field] = fieldChanged(static_cast<FormField>(field));
    // Nothing changed: the file is not even opened.
    if (!write.Any())
        return true;
    return writeFields(write, quiet);
}

bool PluginWindow::Impl::writeFields(const FieldSet &write, bool quiet) {
    BFile file;
    const char *reason = nullptr;
    if (openFormFile(&file, &reason) != B_OK) {
        printf("Failed to init node\n");
        if (!quiet) {
            setStatus(reason == nullptr ? BString("no file")
                                        : status_line(fileName(), "not saved", reason));
        }
        return false;
    }

    // What was written becomes the field's baseline; the first failure is the reason.
    status_t failure = B_OK;
    auto record = [&](FormField field, status_t status) {
        if (status == B_OK) {
            baseline[field].value = fieldValue(field);
            baseline[field].keepsStored = false;
        } else if (failure == B_OK) {
            failure = status;
        }
    };
    if (write.Has(FIELD_TITLE))
        record(FIELD_TITLE, saveAttr(file, AUDIO_TITLE_ATTR, titleControl));
    if (write.Has(FIELD_ARTIST))
        record(FIELD_ARTIST, saveAttr(file, AUDIO_ARTIST_ATTR, artistControl));
    if (write.Has(FIELD_ALBUM))
        record(FIELD_ALBUM, saveAttr(file, AUDIO_ALBUM_ATTR, albumControl));
    if (write.Has(FIELD_GENRE)) {
        BString genreLabel;
        if (popup_label(genrePopup, &genreLabel)) {
            record(FIELD_GENRE, saveAttr(file, AUDIO_GENRE_ATTR, genreLabel.String()));
        } else {
            printf("Failed to save attribute %s\n", AUDIO_GENRE_ATTR);
            record(FIELD_GENRE, B_BAD_VALUE);
        }
    }
    if (write.Has(FIELD_RATING))
        record(FIELD_RATING, saveAttr(file, AUDIO_RATING_ATTR, ratingPopup));
    if (write.Has(FIELD_VOLUME))
        record(FIELD_VOLUME, saveAttr(file, AUDIO_VOLUME_ADJUSTMENT_ATTR, volumePopup));

    const bool tagWritten = writeTag(file, write);

    if (!quiet) {
        if (failure != B_OK)
            reason = save_failure_reason(failure);
        else if (!tagWritten)
            reason = "the ID3v1 tag could not be added";
        setStatus(reason == nullptr ? status_line(fileName(), "saved")
                                    : status_line(fileName(), "not saved", reason));
    }
    return failure == B_OK && tagWritten;
}

status_t PluginWindow::Impl::openFormFile(BFile *file, const char **reason) {
    *reason = nullptr;
    if (!formLoaded)
        return B_NO_INIT;
    // Checked before opening for writing, so no other file is ever opened for writing.
    BNode node(&ref);
    node_ref found;
    status_t status = node.InitCheck();
    if (status != B_OK) {
        *reason = status == B_ENTRY_NOT_FOUND ? "the file is gone" : "the file cannot be opened";
        return status;
    }
    if (node.GetNodeRef(&found) != B_OK || found != formNode) {
        *reason = kChangedOnDisk;
        return B_MISMATCHED_VALUES;
    }
    status = file->SetTo(&ref, B_READ_WRITE);
    if (status != B_OK) {
        *reason = save_failure_reason(status);
        return status;
    }
    // The name may have been swapped between the two opens.
    if (file->GetNodeRef(&found) != B_OK || found != formNode) {
        file->Unset();
        *reason = kChangedOnDisk;
        return B_MISMATCHED_VALUES;
    }
    return B_OK;
}

bool PluginWindow::Impl::writeTag(BFile &file, const FieldSet &write) {
    // The tag mirrors Title, Artist, Album and Genre; a save of none of them leaves it.
    if (!write.AnyTagField())
        return true;
    FieldSet mirror = write;
    if (!has_id3_info(file)) {
        if (!is_mp3_file(file))
            return true;
        if (!add_id3_info(file)) {
            // An empty file gets no tag, and that is no failure.
            off_t size = 0;
            return file.GetSize(&size) == B_OK && size == 0;
        }
        // A new tag holds nothing yet: all four fields go in.
        mirror.fields[FIELD_TITLE] = mirror.fields[FIELD_ARTIST] = true;
        mirror.fields[FIELD_ALBUM] = mirror.fields[FIELD_GENRE] = true;
    }

    printf("Saving id3 info\n");
    if (mirror.Has(FIELD_TITLE))
        write_id3_string(file, ID3_TITLE_OFFSET, titleControl->Text(), ID3_TEXT_LENGTH);
    if (mirror.Has(FIELD_ARTIST))
        write_id3_string(file, ID3_ARTIST_OFFSET, artistControl->Text(), ID3_TEXT_LENGTH);
    if (mirror.Has(FIELD_ALBUM))
        write_id3_string(file, ID3_ALBUM_OFFSET, albumControl->Text(), ID3_TEXT_LENGTH);
    BString genreLabel;
    if (mirror.Has(FIELD_GENRE) && popup_label(genrePopup, &genreLabel)) {
        uint8 id = get_genre_id(genreLabel.String());
        // "unknown" leaves the tag's genre byte as it was.
        if (id != UNKNOWN_GENRE_VALUE)
            write_id3_byte(file, ID3_GENRE_OFFSET, id);
    }
    printf("Saved id3 info\n");
    return true;
}

status_t PluginWindow::Impl::saveAttr(BNode &node, const char *name, MTextControl *field) {
    return saveAttr(node, name, field->Text());
}

status_t PluginWindow::Impl::saveAttr(BNode &node, const char *name, const char *text) {
    // The terminating NUL is stored too.
    ssize_t written = node.WriteAttr(name, AUDIO_TEXT_TYPE, 0, text, strlen(text) + 1);
    if (written < 0) {
        printf("Failed to save attribute %s\n", name);
        return static_cast<status_t>(written);
    }
    return B_OK;
}

status_t PluginWindow::Impl::saveAttr(BNode &node, const char *name, MPopup *popup) {
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
