// The Vorbis comment of FLAC, Ogg Vorbis and Ogg Opus files, read without TagLib: a browse
// step reads only the fields the form shows (and the ratings), skipping pictures and
// everything else by their lengths, so a 200 KB cover costs a few page headers, not a decode.
// TagLib writes these comments (tags/mp4/formats_codec.h); this only reads.
#ifndef BRINDLE_TAGS_VORBIS_COMMENT_H
#define BRINDLE_TAGS_VORBIS_COMMENT_H

#include <File.h>

#include "tags/mp4/formats_codec.h"

// Reads `file`'s Vorbis comment as `format` (TAG_FORMAT_FLAC, TAG_FORMAT_VORBIS or
// TAG_FORMAT_OPUS) into `texts`: the first TITLE, ARTIST and ALBUM, every GENRE, the first
// FMPS_RATING and RATING, names in any case. A FLAC file without a comment block reads as no
// tag (hasTag false). False when the file is not one of these or its comment is damaged.
bool read_vorbis_comment(BFile &file, tag_format format, format_texts *texts);

#endif  // BRINDLE_TAGS_VORBIS_COMMENT_H
