// Moving data between the form and the file in `ref`: attributes, with the ID3v1 tag of
// MPEG files as fallback on load and as a mirror on save.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <File.h>
#include <MenuItem.h>
#include <Node.h>

#include <MPopup.h>
#include <MTextControl.h>

#include "support/str.h"
#include "tags/genres.h"
#include "tags/util.h"
#include "window/PluginWindowImpl.h"

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
    if (file.InitCheck() != B_OK)
        return;

    // From here on every control is set, so nothing of the previous file stays.
    setEditField(file, AUDIO_ALBUM_ATTR, albumControl);
    setEditField(file, AUDIO_ARTIST_ATTR, artistControl);

    vesk::str_t genre = get_string_attr(file, AUDIO_GENRE_ATTR);
    printf("Getting genre id...");
    uint8 genreIndex = get_genre_alpha_index(genre.c_str());
    printf("done - %d\n", genreIndex);
    printf("Setting genre popup...");
    genrePopup->SetActive(genreIndex, false);
    printf("done\n");

    setPopup(file, AUDIO_RATING_ATTR, ratingPopup, RATING_MIN, RATING_MAX, RATING_DEFAULT);
    setPopup(file, AUDIO_VOLUME_ADJUSTMENT_ATTR, volumePopup, VOLUME_ADJUSTMENT_MIN,
             VOLUME_ADJUSTMENT_MAX, VOLUME_ADJUSTMENT_DEFAULT);
    setEditField(file, AUDIO_TITLE_ATTR, titleControl);

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
}

void PluginWindow::Impl::setEditField(BNode &node, const char *name, MTextControl *field) {
    char buffer[AUDIO_TEXT_ATTR_SIZE + 1];
    ssize_t length = node.ReadAttr(name, AUDIO_TEXT_TYPE, 0, buffer, AUDIO_TEXT_ATTR_SIZE);
    if (length < 0) {
        field->SetText("");
        return;
    }
    buffer[length] = '\0';
    printf("Setting %s: %s\n", name, buffer);
    field->SetText(buffer);
}

void PluginWindow::Impl::setPopup(BNode &node, const char *name, MPopup *popup, int32 min,
                                  int32 max, int32 defaultValue) {
    int32 value = defaultValue;
    // A stored value shorter than four bytes replaces only the low-order bytes.
    if (node.InitCheck() == B_OK &&
        node.ReadAttr(name, AUDIO_NUMBER_TYPE, 0, &value, sizeof(value)) >= 0) {
        if (value > max)
            value = max;
        if (value < min)
            value = min;
    }
    popup->SetActive(value - min, false);
}

void PluginWindow::Impl::saveAttrs() {
    BFile file(&ref, B_READ_WRITE);
    if (file.InitCheck() != B_OK) {
        printf("Failed to init node\n");
        return;
    }

    saveAttr(file, AUDIO_TITLE_ATTR, titleControl);
    saveAttr(file, AUDIO_ARTIST_ATTR, artistControl);
    saveAttr(file, AUDIO_ALBUM_ATTR, albumControl);
    BString genreLabel;
    bool haveGenre = popup_label(genrePopup, &genreLabel);
    if (haveGenre)
        saveAttr(file, AUDIO_GENRE_ATTR, genreLabel.String());
    else
        printf("Failed to save attribute %s\n", AUDIO_GENRE_ATTR);
    saveAttr(file, AUDIO_RATING_ATTR, ratingPopup);
    saveAttr(file, AUDIO_VOLUME_ADJUSTMENT_ATTR, volumePopup);

    if (!has_id3_info(file)) {
        if (!is_mp3_file(file) || !add_id3_info(file))
            return;
    }

    printf("Saving id3 info\n");
    write_id3_string(file, ID3_TITLE_OFFSET, titleControl->Text(), ID3_TEXT_LENGTH);
    write_id3_string(file, ID3_ARTIST_OFFSET, artistControl->Text(), ID3_TEXT_LENGTH);
    write_id3_string(file, ID3_ALBUM_OFFSET, albumControl->Text(), ID3_TEXT_LENGTH);
    uint8 id = haveGenre ? get_genre_id(genreLabel.String()) : UNKNOWN_GENRE_VALUE;
    // "unknown" leaves the tag's genre byte as it was.
    if (id != UNKNOWN_GENRE_VALUE)
        write_id3_byte(file, ID3_GENRE_OFFSET, id);
    printf("Saved id3 info\n");
}

void PluginWindow::Impl::saveAttr(BNode &node, const char *name, MTextControl *field) {
    saveAttr(node, name, field->Text());
}

void PluginWindow::Impl::saveAttr(BNode &node, const char *name, const char *text) {
    // The terminating NUL is stored too.
    if (node.WriteAttr(name, AUDIO_TEXT_TYPE, 0, text, strlen(text) + 1) < 0)
        printf("Failed to save attribute %s\n", name);
}

void PluginWindow::Impl::saveAttr(BNode &node, const char *name, MPopup *popup) {
    int32 value;
    // Nothing marked (Rating before any file was loaded): no value to store.
    if (!popup_number(popup, &value) ||
        node.WriteAttr(name, AUDIO_NUMBER_TYPE, 0, &value, sizeof(value)) != sizeof(value)) {
        printf("Failed to save attribute %s\n", name);
    }
}
