// Text at the ID3v1 boundary. Every other reader takes ID3v1 text as ISO-8859-1; the form
// and the attributes hold UTF-8. So a text goes into a tag as Latin-1 when every
// character has a Latin-1 form, else as its UTF-8 bytes (which keep the text, and which
// id3_text_to_utf8 recognises); a tag's bytes come out as UTF-8 either way.
#ifndef BRINDLE_TAGS_ENCODING_H
#define BRINDLE_TAGS_ENCODING_H

#include <cstddef>

#include <String.h>

// True when the `length` bytes at `text` are well-formed UTF-8 (shortest forms only, no
// surrogates, nothing above U+10FFFF).
bool is_valid_utf8(const char *text, size_t length);

// The UTF-8 text of the `length` bytes of an ID3v1 field (its text up to the first NUL):
// bytes that are valid UTF-8 with at least one non-ASCII byte are taken as UTF-8, anything
// else as ISO-8859-1.
BString id3_text_to_utf8(const char *bytes, size_t length);

// Puts `text` into `area`, a field of `length` bytes, and returns how many bytes it used
// (the caller NUL-fills the rest): Latin-1 when `text` is valid UTF-8 whose characters all
// have a Latin-1 form, else the UTF-8 bytes, cut so that no character is split. Text that
// is not UTF-8 at all is copied as it is, cut at `length`.
// With `latin1` false, valid UTF-8 goes in as UTF-8 even when it has a Latin-1 form: so that
// a tag holds one encoding when another of its fields needs UTF-8.
size_t utf8_to_id3_text(const char *text, char *area, size_t length, bool latin1 = true);

// True unless `text` is valid UTF-8 with a character beyond Latin-1 (text that is not UTF-8
// at all goes into a tag as it is, so it needs nothing).
bool has_latin1_form(const char *text);

#endif  // BRINDLE_TAGS_ENCODING_H
