// Writing the form into the file it was loaded from: the attributes, and the ID3v1 tag of
// MPEG files as a mirror. Nothing is written into any other file; the status line says
// what the save did.
#include <cstdio>
#include <cstring>

#include <Errors.h>
#include <File.h>
#include <Node.h>

#include <MPopup.h>
#include <MTextControl.h>

#include "tags/genres.h"
#include "tags/util.h"
#include "window/PluginWindowImpl.h"

namespace {

const char kChangedOnDisk[] = "the file changed on disk";

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

}  // namespace

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
            if (reason == nullptr)
                setStatus("no file");
            else
                setFileStatus("not saved", reason);
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
        if (reason == nullptr)
            setFileStatus("saved");
        else
            setFileStatus("not saved", reason);
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
