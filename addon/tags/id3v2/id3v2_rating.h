// The ratings of an MPEG file's ID3v2 tag: POPM frames (as KDE's tables read and write their
// byte) and the TXXX frame "FMPS_Rating", read and written without TagLib, through the same
// frame writer as the texts (tags/id3v2/id3v2_file.h): every other frame keeps its bytes and
// its place, and the tag keeps its version.
#ifndef BRINDLE_TAGS_ID3V2_RATING_H
#define BRINDLE_TAGS_ID3V2_RATING_H

#include <File.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

#include "tags/mp4/formats_codec.h"

// Reads the ratings of the file's ID3v2 tag into `texts`: ratings[RATING_POPM] is the first
// POPM frame's rating as "0" to "10" through KDE's table, ratings[RATING_FMPS] the first
// FMPS_Rating frame's value (its description in any case); `writable` is false for a 2.2
// tag. A file without a tag gives true with `hasTag` false; a tag that cannot be read, false.
bool read_id3v2_ratings(BFile &file, format_texts *texts);

// Writes the two ratings of `edit` (RATING_POPM as "0" to "10", RATING_FMPS as its text; null
// leaves one alone) into the file's tag: every POPM frame gets the new byte, keeping its
// e-mail and play counter, and one with KDE's e-mail is added when there is none; the first
// FMPS_Rating frame gets the new value. `file` must be open read-write. In place when nothing
// else moves, else the file is replaced with a new head, as tags/id3v2/id3v2_file.h says.
//
// B_OK when written (or nothing asked for); B_ENTRY_NOT_FOUND when the file has no tag;
// TAG_NOT_WRITABLE (tags/format_tags.h) for a 2.2 tag; B_BAD_DATA when a frame to change is
// compressed, encrypted or grouped, or the tag cannot be split into frames; the rest as
// rewrite_file_head gives them.
status_t write_id3v2_ratings(BFile &file, const format_edit &edit, bool *replaced,
                             node_ref *replacement);

#endif  // BRINDLE_TAGS_ID3V2_RATING_H
