#include "tags/id3v1/encoding.h"

#include <cstring>

namespace {

typedef unsigned char byte;

// Decodes the character at `*position`; false (and `*position` unmoved) when the bytes
// there are not a well-formed UTF-8 sequence.
bool next_code_point(const byte *text, size_t length, size_t *position, unsigned *codePoint) {
    size_t at = *position;
    const byte lead = text[at];
    unsigned value;
    size_t more;
    unsigned smallest;
    if (lead < 0x80) {
        *codePoint = lead;
        *position = at + 1;
        return true;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        value = lead & 0x1F;
        more = 1;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        value = lead & 0x0F;
        more = 2;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        value = lead & 0x07;
        more = 3;
        smallest = 0x10000;
    } else {
        return false;
    }
    if (length - at - 1 < more)
        return false;
    for (size_t i = 1; i <= more; i++) {
        const byte next = text[at + i];
        if ((next & 0xC0) != 0x80)
            return false;
        value = (value << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not UTF-8.
    if (value < smallest || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        return false;
    *codePoint = value;
    *position = at + 1 + more;
    return true;
}

}  // namespace

bool is_valid_utf8(const char *text, size_t length) {
    const byte *bytes = reinterpret_cast<const byte *>(text);
    size_t position = 0;
    unsigned codePoint;
    while (position < length) {
        if (!next_code_point(bytes, length, &position, &codePoint))
            return false;
    }
    return true;
}

BString id3_text_to_utf8(const char *bytes, size_t length) {
    bool ascii = true;
    for (size_t i = 0; i < length && ascii; i++)
        ascii = static_cast<byte>(bytes[i]) < 0x80;
    if (ascii || is_valid_utf8(bytes, length))
        return BString(bytes, static_cast<int32>(length));
    // ISO-8859-1: each byte is the code point of the same value.
    BString text;
    for (size_t i = 0; i < length; i++) {
        const byte value = static_cast<byte>(bytes[i]);
        const char encoded[2] = {static_cast<char>(0xC0 | (value >> 6)),
                                 static_cast<char>(0x80 | (value & 0x3F))};
        if (value < 0x80)
            text.Append(&bytes[i], 1);
        else
            text.Append(encoded, 2);
    }
    return text;
}

bool has_latin1_form(const char *text) {
    const byte *bytes = reinterpret_cast<const byte *>(text);
    const size_t textLength = strlen(text);
    if (!is_valid_utf8(text, textLength))
        return true;
    size_t position = 0;
    unsigned codePoint = 0;
    while (position < textLength) {
        next_code_point(bytes, textLength, &position, &codePoint);
        if (codePoint > 0xFF)
            return false;
    }
    return true;
}

size_t utf8_to_id3_text(const char *text, char *area, size_t length, bool latin1) {
    const byte *bytes = reinterpret_cast<const byte *>(text);
    const size_t textLength = strlen(text);
    if (!is_valid_utf8(text, textLength)) {
        const size_t count = textLength < length ? textLength : length;
        memcpy(area, text, count);
        return count;
    }

    // Latin-1 when it can hold every character.
    size_t position = 0;
    size_t count = 0;
    unsigned codePoint = 0;
    if (latin1 && has_latin1_form(text)) {
        position = 0;
        while (position < textLength && count < length) {
            next_code_point(bytes, textLength, &position, &codePoint);
            area[count++] = static_cast<char>(codePoint);
        }
        return count;
    }

    // UTF-8, up to the last whole character that fits.
    position = 0;
    while (position < textLength) {
        size_t next = position;
        next_code_point(bytes, textLength, &next, &codePoint);
        if (next > length)
            break;
        position = next;
    }
    memcpy(area, text, position);
    return position;
}
