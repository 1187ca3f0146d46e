#include "tags/id3v1/id3v1.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "tags/attributes.h"
#include "tags/genres.h"
#include "tags/id3v1/encoding.h"

namespace {

// Seeks `offset` bytes back from the end. A failed seek is negative; landing on position 0
// counts as failure as well, since no field of a tag can start there.
bool seek_from_end(BFile &file, int64 offset) {
    return file.Seek(offset, SEEK_END) > 0;
}

// The `length` bytes at `offset` (counted back from the end, as the tag's constants are) of a
// trailer that was read; nullptr for an unread trailer or an area outside it.
const char *trailer_area(const id3_trailer &trailer, int64 offset, int32 length) {
    const int64 index = offset - ID3_TAG_OFFSET;
    if (trailer.start <= 0 || length < 0 || index < 0 || index + length > ID3_TAG_SIZE)
        return nullptr;
    return trailer.bytes + index;
}

}  // namespace

bool has_id3_info(BFile &file) {
    id3_trailer trailer;
    return has_id3_info(file, &trailer);
}

bool has_id3_info(BFile &file, id3_trailer *trailer) {
    printf("Checking for id3 info\n");
    if (!is_mp3_file(file))
        return false;
    *trailer = id3_trailer();
    if (!seek_from_end(file, ID3_TAG_OFFSET))
        return false;
    const off_t start = file.Position();
    ssize_t count = file.Read(trailer->bytes, sizeof(trailer->bytes));
    if (count >= 3 && memcmp(trailer->bytes, "TAG", 3) == 0) {
        trailer->start = start;
        return true;
    }
    // Whatever was read, cut at its first NUL; nothing when the read failed.
    char marker[4] = {};
    if (count > 0)
        memcpy(marker, trailer->bytes, count < 3 ? static_cast<size_t>(count) : 3);
    printf("Tag not found, found: %s\n", marker);
    return false;
}

bool read_id3_trailer(BFile &file, id3_trailer *trailer) {
    *trailer = id3_trailer();
    if (!seek_from_end(file, ID3_TAG_OFFSET))
        return false;
    const off_t start = file.Position();
    if (file.Read(trailer->bytes, sizeof(trailer->bytes)) != ID3_TAG_SIZE)
        return false;
    trailer->start = start;
    return true;
}

vesk::str_t get_id3_string(const id3_trailer &trailer, int64 offset, int32 length) {
    const char *area = trailer_area(trailer, offset, length);
    if (area == nullptr)
        return vesk::str_t();
    return id3_text_to_utf8(area, strnlen(area, static_cast<size_t>(length))).String();
}

uint8 get_id3_byte(const id3_trailer &trailer, int64 offset) {
    const char *area = trailer_area(trailer, offset, 1);
    return area == nullptr ? UNKNOWN_GENRE_VALUE : static_cast<uint8>(*area);
}

void write_id3_string(BFile &file, id3_trailer *trailer, int64 offset, const char *text,
                      int32 length, bool latin1) {
    char *area = const_cast<char *>(trailer_area(*trailer, offset, length));
    if (area == nullptr)
        return;
    memset(area, 0, static_cast<size_t>(length));
    if (text != nullptr)
        utf8_to_id3_text(text, area, static_cast<size_t>(length), latin1);
    file.WriteAt(trailer->start + (area - trailer->bytes), area, static_cast<size_t>(length));
}

void write_id3_byte(BFile &file, id3_trailer *trailer, int64 offset, uint8 value) {
    char *area = const_cast<char *>(trailer_area(*trailer, offset, 1));
    if (area == nullptr)
        return;
    *area = static_cast<char>(value);
    file.WriteAt(trailer->start + (area - trailer->bytes), area, 1);
}

vesk::str_t get_id3_string(BFile &file, int64 offset, int32 length) {
    vesk::str_t text;
    if (length < 0)
        return text;
    // Zero-filled, so bytes a short read leaves untouched count as NUL.
    std::unique_ptr<char[]> buffer(new char[static_cast<size_t>(length) + 1]());
    if (seek_from_end(file, offset) && file.Read(buffer.get(), static_cast<size_t>(length)) > 0) {
        buffer[length] = '\0';
        text = id3_text_to_utf8(buffer.get(), strlen(buffer.get())).String();
    }
    return text;
}

uint8 get_id3_byte(BFile &file, int64 offset) {
    uint8 value = UNKNOWN_GENRE_VALUE;
    if (seek_from_end(file, offset) && file.Read(&value, 1) != 1)
        value = UNKNOWN_GENRE_VALUE;
    return value;
}

void write_id3_string(BFile &file, int64 offset, const char *text, int32 length, bool latin1) {
    if (length < 0)
        return;
    std::unique_ptr<char[]> buffer(new char[static_cast<size_t>(length) + 1]());
    if (text != nullptr)
        utf8_to_id3_text(text, buffer.get(), static_cast<size_t>(length), latin1);
    if (seek_from_end(file, offset))
        file.Write(buffer.get(), static_cast<size_t>(length));
}

void write_id3_byte(BFile &file, int64 offset, uint8 value) {
    if (seek_from_end(file, offset))
        file.Write(&value, 1);
}

bool add_id3_info(BFile &file) {
    char tag[ID3_TAG_SIZE] = {};
    memcpy(tag, "TAG", 3);
    // No genre: 0 would be Blues to every reader.
    tag[ID3_TAG_SIZE - 1] = static_cast<char>(ID3_NO_GENRE);
    off_t end = file.Seek(0, SEEK_END);
    if (end <= 0)
        return false;
    ssize_t count = file.Write(tag, sizeof(tag));
    if (count < static_cast<ssize_t>(sizeof(tag))) {
        // A part of a tag would read as audio (or as a tag that isn't one): take it back.
        if (count > 0)
            file.SetSize(end);
        printf("Failed to add id3 info\n");
        return false;
    }
    printf("Added id3 info\n");
    return true;
}
