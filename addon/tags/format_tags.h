// The tags of FLAC, Ogg Vorbis, Ogg Opus and MP4/M4A files: the Vorbis comment of the first
// three, the ilst atoms of the last. A fallback for the form's empty fields and a mirror of
// what the form writes, as the ID3 tags are for MPEG files; they hold the file's rating too.
//
// TagLib sits in a module loaded on first use (tags/mp4/formats_codec.h): a player browsing files
// whose fields all come from attributes never maps it. TagLib never writes the person's file:
// every edit goes to a complete copy beside it that then replaces it (tags/safe_rewrite.h).
// None of these functions prints anything but the module's load failure.
#ifndef BRINDLE_TAGS_FORMAT_TAGS_H
#define BRINDLE_TAGS_FORMAT_TAGS_H

#include <Errors.h>
#include <File.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

#include "support/str.h"
#include "tags/mp4/formats_codec.h"
#include "tags/genres.h"

// The format whose tag `file` keeps, from its type (recorded, or sniffed from its content:
// audio/flac, audio/ogg, audio/x-m4a, and the freedesktop names for them) and, for Ogg, the
// codec its first page names. False for MPEG audio and every other file.
bool get_tag_format(BFile &file, tag_format *format);

// The form's fields as a format's tag holds them.
struct format_fields {
    vesk::str_t title;  // UTF-8; "" when the tag has none
    vesk::str_t artist;
    vesk::str_t album;
    // The first GENRE that names a genre of the menu, in any case; UNKNOWN_GENRE_VALUE when
    // none does.
    uint8 genre = UNKNOWN_GENRE_VALUE;
    // 1 to 10 from the first convention that rates (POPM, FMPS_RATING, RATING, MP4's rate),
    // each on its own scale; 0 when none does.
    int32 rating = 0;
};

// Reads `file`'s tag as `format`. False, with `fields` untouched, when TagLib cannot read it.
bool read_format_fields(BFile &file, tag_format format, format_fields *fields);

// What a save changes: a null text leaves its field, "" removes it; a genre of
// UNKNOWN_GENRE_VALUE leaves it. A rating of 1 to 10 (given only when the person chose it)
// goes to every convention the tag carries, on its own scale and, for MP4's rate, in its own
// type; those KDE and the players people use read are added if missing (a POPM; RATING,
// FMPS_RATING and Quod Libet's RATING:quodlibet@lists.sacredchao.net; MP4's rate and its
// freeform FMPS_Rating). 0 leaves every rating as it is.
struct format_changes {
    const char *title = nullptr;
    const char *artist = nullptr;
    const char *album = nullptr;
    uint8 genre = UNKNOWN_GENRE_VALUE;
    int32 rating = 0;
};

// The tag takes no such change without losing something (a rating for an ID3v2.2 tag):
// nothing was written.
constexpr status_t TAG_NOT_WRITABLE = B_BAD_TYPE;

// Writes `changes` into `file`'s tag, creating the comment block or ilst when it has none.
// What the tag already holds as asked is left alone; with nothing left, nothing is written.
// An MP3's ratings go into its existing ID3v2 tag as tags/id3v2/id3v2_rating.h writes them (in
// place when nothing else moves); an MP4's ilst is saved by TagLib on a copy that is checked
// against the original (tags/mp4/mp4_write.h). Otherwise the file is replaced by an edited
// copy: then `*replaced` is true and `replacement` names the new file. B_OK when written (or
// nothing asked for); B_MISSING_LIBRARY when TagLib's module cannot be loaded; B_BAD_DATA
// when the tag cannot be read, or TagLib cannot save the file; TAG_NOT_WRITABLE;
// TAG_FRAGMENTED_MP4 and the check failures of tags/save_check.h; REWRITE_HARD_LINKED and the
// rest as rewrite_file_checked gives them.
status_t write_format_fields(BFile &file, tag_format format, const format_changes &changes,
                             bool *replaced, node_ref *replacement);

#endif  // BRINDLE_TAGS_FORMAT_TAGS_H
