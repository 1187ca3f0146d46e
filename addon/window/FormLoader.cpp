// Filling the form from the file in `ref`: its attributes, then for what they leave empty
// the places other programs look: the desktop's rating, the file's own tag (ID3v2 for MPEG
// files, the Vorbis comment of FLAC, Ogg Vorbis and Opus, MP4's ilst), then the ID3v1 tag
// of MPEG files. The load records which file it read and, per field, whether the form shows the
// stored value exactly (FieldBaseline).
#include <cstdio>
#include <cstring>

#include <Errors.h>
#include <File.h>
#include <Node.h>

#include <MPopup.h>
#include <MTextControl.h>

#include "support/str.h"
#include "tags/desktop_rating.h"
#include "tags/id3v1/encoding.h"
#include "tags/flac/flac_metadata.h"
#include "tags/format_tags.h"
#include "tags/genres.h"
#include "tags/id3v2/id3v2.h"
#include "tags/attributes.h"
#include "tags/id3v1/id3v1.h"
#include "window/FormLoader.h"
#include "window/FormState.h"

namespace {

// A read that found nothing stored: the attribute is missing, or the file system keeps
// no attributes at all. Writing what the form shows then loses nothing.
bool nothing_stored(ssize_t status) {
    return status == B_ENTRY_NOT_FOUND || status == B_UNSUPPORTED;
}

// Whether the stored text attribute `name` is exactly `shown`, the text the form read from
// it (`stored`, what that read found): a 'CSTR' value of valid UTF-8 that ends at its NUL
// (or at its end), at most AUDIO_TEXT_ATTR_SIZE bytes long. A read that found nothing
// stored loses nothing when what the form shows is written.
bool stored_text_is(const BNode &node, const char *name, const char *shown,
                    const stored_attr &stored) {
    if (stored.status < 0)
        return nothing_stored(stored.status);
    const attr_info &info = stored.info;
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

// Whether the form shows the stored genre as it is: a name of the menu, or "unknown".
// One it lacks ("Shoegaze", or an empty text) shows as "unknown", which is not the same.
bool stored_genre_is(const BNode &node, const char *genre, uint8 alphaIndex,
                     const stored_attr &stored) {
    if (stored.status < 0)
        return nothing_stored(stored.status);
    return (alphaIndex != UNKNOWN_GENRE_VALUE || strcmp(genre, "unknown") == 0) &&
           stored_text_is(node, AUDIO_GENRE_ATTR, genre, stored);
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

FormLoader::FormLoader(FormState &state) : fState(state) {}

void FormLoader::readAttrs() {
    BFile file(&fState.ref, B_READ_ONLY);
    node_ref node;
    status_t status = file.InitCheck();
    if (status == B_OK)
        status = file.GetNodeRef(&node);
    if (status != B_OK) {
        // Nothing of the previous file may stay: a save would take it for this one's.
        clear_form(fState);
        set_file_status(fState, "not loaded", load_failure_reason(status));
        return;
    }

    // From here on every control is set, so nothing of the previous file stays.
    bool exact[FIELD_COUNT];
    exact[FIELD_ALBUM] = setEditField(file, AUDIO_ALBUM_ATTR, fState.albumControl);
    exact[FIELD_ARTIST] = setEditField(file, AUDIO_ARTIST_ATTR, fState.artistControl);

    stored_attr storedGenre;
    vesk::str_t genre = get_string_attr(file, AUDIO_GENRE_ATTR, &storedGenre);
    printf("Getting genre id...");
    uint8 genreIndex = get_genre_alpha_index(genre.c_str());
    printf("done - %d\n", genreIndex);
    printf("Setting genre popup...");
    fState.genrePopup->SetActive(genreIndex, false);
    printf("done\n");
    // A name the menu lacks ("Shoegaze") shows as "unknown": not the stored value.
    exact[FIELD_GENRE] = stored_genre_is(file, genre.c_str(), genreIndex, storedGenre);

    ssize_t ratingRead;
    exact[FIELD_RATING] = setPopup(file, AUDIO_RATING_ATTR, fState.ratingPopup, RATING_MIN,
                                   RATING_MAX, RATING_DEFAULT, &ratingRead);
    const bool ratingMissing = ratingRead == B_ENTRY_NOT_FOUND;
    exact[FIELD_VOLUME] =
        setPopup(file, AUDIO_VOLUME_ADJUSTMENT_ATTR, fState.volumePopup, VOLUME_ADJUSTMENT_MIN,
                 VOLUME_ADJUSTMENT_MAX, VOLUME_ADJUSTMENT_DEFAULT);
    exact[FIELD_TITLE] = setEditField(file, AUDIO_TITLE_ATTR, fState.titleControl);

    // The file's own tag comes before ID3v1, as in every player: a 30-byte ID3v1 cut of an
    // ID3v2 title never stands in for the full one.
    fillFromOtherPlaces(file, ratingMissing);

    id3_trailer trailer;
    if (has_id3_info(file, &trailer)) {
        if (fState.albumControl->TextLength() == 0)
            fState.albumControl->SetText(
                get_id3_string(trailer, ID3_ALBUM_OFFSET, ID3_TEXT_LENGTH).c_str());
        if (fState.artistControl->TextLength() == 0)
            fState.artistControl->SetText(
                get_id3_string(trailer, ID3_ARTIST_OFFSET, ID3_TEXT_LENGTH).c_str());
        BString genreLabel;
        if (popup_label(fState.genrePopup, &genreLabel) && genreLabel == "unknown") {
            uint8 id = get_id3_byte(trailer, ID3_GENRE_OFFSET);
            // Ids past the table (255 is common for "none") select "unknown".
            uint8 index =
                id >= NUM_GENRES ? UNKNOWN_GENRE_VALUE : get_genre_alpha_index(genres[id]);
            fState.genrePopup->SetActive(index, false);
        }
        if (fState.titleControl->TextLength() == 0)
            fState.titleControl->SetText(
                get_id3_string(trailer, ID3_TITLE_OFFSET, ID3_TEXT_LENGTH).c_str());
    }

    // A form just loaded is ready for typing the title.
    fState.titleControl->MakeFocus(true);

    bool keepsStored[FIELD_COUNT];
    for (int32 field = 0; field < FIELD_COUNT; field++)
        keepsStored[field] = !exact[field];
    take_baseline(fState, keepsStored);
    fState.ratingPicked = false;
    fState.formLoaded = true;
    fState.formNode = node;
    tag_format format;
    const char *words = nullptr;
    if (!has_mpeg_type(file)) {
        if (!get_tag_format(file, &format))
            words = "not an MPEG file";
        else if (format == TAG_FORMAT_FLAC && flac_metadata_damaged(file))
            words = "its FLAC metadata is damaged";  // nothing is written to its tag either
    }
    set_file_status(fState, words);
}

void FormLoader::fillFromOtherPlaces(BFile &file, bool ratingMissing) {
    bool ratingWanted = ratingMissing;
    if (ratingMissing) {
        int32 rating = get_desktop_rating(file);
        if (rating >= RATING_MIN) {
            fState.ratingPopup->SetActive(rating - RATING_MIN, false);
            ratingWanted = false;
        }
    }

    BString genreLabel;
    const bool genreUnknown =
        popup_label(fState.genrePopup, &genreLabel) && genreLabel == "unknown";
    // Not even the tag's header is read while every field has its value.
    if (!genreUnknown && !ratingWanted && fState.titleControl->TextLength() > 0 &&
        fState.artistControl->TextLength() > 0 && fState.albumControl->TextLength() > 0) {
        return;
    }
    vesk::str_t title, artist, album;
    uint8 genre = UNKNOWN_GENRE_VALUE;
    int32 rating = 0;
    tag_format format;
    if (has_mpeg_type(file)) {
        id3v2_fields tag;
        if (!read_id3v2_fields(file, &tag))
            return;
        title = tag.title;
        artist = tag.artist;
        album = tag.album;
        genre = tag.genre;
        format_fields rated;
        if (ratingWanted && read_format_fields(file, TAG_FORMAT_ID3V2, &rated))
            rating = rated.rating;
    } else if (get_tag_format(file, &format)) {
        format_fields tag;
        if (!read_format_fields(file, format, &tag))
            return;
        title = tag.title;
        artist = tag.artist;
        album = tag.album;
        genre = tag.genre;
        rating = tag.rating;
    } else {
        return;
    }
    if (fState.albumControl->TextLength() == 0)
        fState.albumControl->SetText(album.c_str());
    if (fState.artistControl->TextLength() == 0)
        fState.artistControl->SetText(artist.c_str());
    // A genre text the menu lacks leaves "unknown", and the tag keeps its text.
    if (genreUnknown && genre < NUM_GENRES)
        fState.genrePopup->SetActive(get_genre_alpha_index(genres[genre]), false);
    if (fState.titleControl->TextLength() == 0)
        fState.titleControl->SetText(title.c_str());
    if (ratingWanted && rating >= RATING_MIN)
        fState.ratingPopup->SetActive(rating - RATING_MIN, false);
}

bool FormLoader::setEditField(BNode &node, const char *name, MTextControl *field) {
    char buffer[AUDIO_TEXT_ATTR_SIZE + 1];
    stored_attr stored;
    ssize_t length =
        node.ReadAttr(name, AUDIO_TEXT_TYPE, 0, buffer, AUDIO_TEXT_ATTR_SIZE, &stored.info);
    stored.status = length;
    if (length < 0) {
        field->SetText("");
        return nothing_stored(length);
    }
    buffer[length] = '\0';
    printf("Setting %s: %s\n", name, buffer);
    field->SetText(buffer);
    return stored_text_is(node, name, buffer, stored);
}

bool FormLoader::setPopup(BNode &node, const char *name, MPopup *popup, int32 min, int32 max,
                          int32 defaultValue, ssize_t *readStatus) {
    int32 value = defaultValue;
    bool exact = true;
    // A stored value shorter than four bytes replaces only the low-order bytes.
    ssize_t count = B_NO_INIT;
    attr_info stored{};
    if (node.InitCheck() == B_OK)
        count = node.ReadAttr(name, AUDIO_NUMBER_TYPE, 0, &value, sizeof(value), &stored);
    if (readStatus != nullptr)
        *readStatus = count;
    if (count >= 0) {
        // Only a 4-byte 'LONG' in range shows as it is stored.
        exact = value >= min && value <= max && stored.type == AUDIO_NUMBER_TYPE &&
                stored.size == static_cast<off_t>(sizeof(int32));
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
