// Filling the form from the file in `ref`: its attributes, with the ID3v1 tag of MPEG files
// for what they leave empty. The load records which file it read and, per field, whether
// the form shows the stored value exactly (FieldBaseline).
#include <cstdio>
#include <cstring>

#include <Errors.h>
#include <File.h>
#include <Node.h>

#include <MPopup.h>
#include <MTextControl.h>

#include "support/str.h"
#include "tags/encoding.h"
#include "tags/genres.h"
#include "tags/util.h"
#include "window/PluginWindowImpl.h"

namespace {

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

}  // namespace

void PluginWindow::Impl::readAttrs() {
    BFile file(&ref, B_READ_ONLY);
    node_ref node;
    status_t status = file.InitCheck();
    if (status == B_OK)
        status = file.GetNodeRef(&node);
    if (status != B_OK) {
        // Nothing of the previous file may stay: a save would take it for this one's.
        clearForm();
        setFileStatus("not loaded", load_failure_reason(status));
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
    setFileStatus(has_mpeg_type(file) ? nullptr : "not an MPEG file");
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
