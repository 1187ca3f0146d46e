// The ID3v2 tag at the front of MPEG files, the place every other player and tagger reads
// first: a fallback for the form's empty fields and a mirror of what the form writes to the
// ID3v1 trailer. Versions 2.2 to 2.4, any text encoding.
//
// Nothing here touches TagLib before a plain read of the file's first 10 bytes has found an
// ID3v2 header, and a tag without any of the four frames below never needs it either. TagLib
// itself sits in a module loaded on first use (tags/id3v2/id3v2_codec.h). None of these functions
// prints anything; they report through their results.
#ifndef BRINDLE_TAGS_ID3V2_H
#define BRINDLE_TAGS_ID3V2_H

#include <File.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

#include "support/str.h"
#include "tags/genres.h"

// The four fields as ID3v2 frames: TIT2, TPE1, TALB, TCON.
struct id3v2_fields {
    vesk::str_t title;  // UTF-8; "" when the tag has no such frame
    vesk::str_t artist;
    vesk::str_t album;
    uint8 genre = UNKNOWN_GENRE_VALUE;  // a genre id, UNKNOWN_GENRE_VALUE when none maps
};

// What a save changes: a null text leaves its frame as it is, "" removes it; a genre of
// UNKNOWN_GENRE_VALUE leaves TCON as it is (as "unknown" leaves the ID3v1 genre byte).
struct id3v2_changes {
    const char *title = nullptr;
    const char *artist = nullptr;
    const char *album = nullptr;
    uint8 genre = UNKNOWN_GENRE_VALUE;
};

// True when the file's first 10 bytes are an ID3v2 header of version 2.2, 2.3 or 2.4.
bool has_id3v2_tag(BFile &file);

// Reads the four fields of the file's ID3v2 tag into `fields`. A TCON of "(17)", "17" or
// "Rock" gives Rock; a name this add-on spells otherwise ("Alternative Rock") gives its genre
// too. False, with `fields` untouched, when the file has no readable tag.
bool read_id3v2_fields(BFile &file, id3v2_fields *fields);

// Writes `changes` into the file's existing ID3v2 tag, keeping every other frame byte for
// byte and the tag's version (2.2 too: its frames, TDA, RVA or ones nobody knows, have no
// lossless 2.3 form). A field the tag already holds as asked is left alone; with none left, nothing
// is written. A file without a tag gets none. `file` must be open read-write.
//
// When the new tag fits the old one's room (its padding) and every other frame keeps its
// place, only the bytes that change are written, in place. Otherwise the file is replaced as
// a whole (tags/safe_rewrite.h), with room for later edits when the tag grew: then
// `*replaced` is true, `file` refers to the old file that no name leads to any more, and
// `replacement` names the new one.
//
// B_OK when written (or nothing asked for); B_ENTRY_NOT_FOUND when the file has no tag;
// B_BAD_DATA when the tag is not one this code can rewrite without losing something (nothing
// is written); B_MISSING_LIBRARY when TagLib's module cannot be loaded; REWRITE_HARD_LINKED
// when the file must be replaced but has other hard links (the tag is left as it was);
// REWRITE_FILE_CHANGED and the host's errors as rewrite_file_head gives them.
status_t write_id3v2_fields(BFile &file, const id3v2_changes &changes, bool *replaced,
                            node_ref *replacement);

#endif  // BRINDLE_TAGS_ID3V2_H
