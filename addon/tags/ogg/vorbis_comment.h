// The Vorbis comment of FLAC, Ogg Vorbis and Ogg Opus files, read without TagLib: a browse
// step reads only the fields the form shows (and the ratings), skipping pictures and
// everything else by their lengths, so a 200 KB cover costs a few page headers, not a decode.
// The writers are tags/flac/flac_writer.h and tags/ogg/ogg_writer.h.
#ifndef BRINDLE_TAGS_VORBIS_COMMENT_H
#define BRINDLE_TAGS_VORBIS_COMMENT_H

#include <File.h>

#include "tags/mp4/formats_codec.h"

// Reads `file`'s Vorbis comment as `format` (TAG_FORMAT_FLAC, TAG_FORMAT_VORBIS or
// TAG_FORMAT_OPUS) into `texts`: the first TITLE, ARTIST and ALBUM, every GENRE, the first
// FMPS_RATING, RATING and Quod Libet's rating, names in any case. A FLAC file without a comment
// block reads as no tag (hasTag false). False when the file is not one of these or its comment is
// damaged.
bool read_vorbis_comment(BFile &file, tag_format format, format_texts *texts);
// The same, with why it failed: B_BAD_DATA for no such file or a damaged comment,
// TAG_FLAC_DAMAGED for FLAC metadata the walk stopped at (tags/flac/flac_metadata.h), B_BAD_VALUE
// for another format, or the host's error.
status_t read_comment_texts(BFile &file, tag_format format, format_texts *texts);

#endif  // BRINDLE_TAGS_VORBIS_COMMENT_H
