// Writing a FLAC file's Vorbis comment without TagLib. Only the first VORBIS_COMMENT block's
// bytes change (it is created right after STREAMINFO when there is none); every other block,
// an ID3v2 tag in front and every audio byte keep their bytes.
//
// A change in size is taken from the PADDING block that follows the comment block, so that
// nothing after them moves: then only the changed bytes are written, in place, flushed and read
// back (tags/in_place_write.h).
// Otherwise the file is replaced by a checked copy (tags/safe_rewrite.h) whose metadata grows
// by whole blocks of the file system, the rest as PADDING, so the audio keeps its alignment.
//
// REQUIRES: the caller holds the file's save lock (tags/file_lock.h).
#ifndef BRINDLE_TAGS_FLAC_WRITER_H
#define BRINDLE_TAGS_FLAC_WRITER_H

#include <File.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

#include "tags/mp4/formats_codec.h"

class copy_writer;

// The vendor string a comment block created here carries.
constexpr char FLAC_CREATED_VENDOR[] = "Brindle";

// Applies `edit` to the comment of `file` (open read-write). B_OK when written, or when the
// comment already holds it (nothing is written then); `*replaced` tells whether the file was
// replaced by a copy, whose node `replacement` then names. B_BAD_DATA for no FLAC file or a
// comment that cannot be parsed; TAG_FLAC_DAMAGED (nothing written); B_BAD_VALUE for a comment
// past a block's largest length; a check failure of tags/save_check.h when what was written
// did not read back as meant; the results of rewrite_file_checked.
status_t write_flac_comment(BFile &file, const format_edit &edit, bool *replaced,
                            node_ref *replacement);

// Checks a copy of the FLAC file open on `sourceFd`, open on `copyFd` and built by `writer`,
// against the original and `edit`: the ID3v2 tag in front, every block but the first comment
// and the PADDING after it, and the audio keep their bytes (runs `writer` copied verbatim are
// held to their places), the comment holds `edit` over the original's and nothing else
// changed in it, and the copy has the length `writer` meant. B_OK, CHECK_AUDIO_CHANGED,
// CHECK_OTHER_DATA_CHANGED, CHECK_FIELD_WRONG, CHECK_LENGTH_WRONG or CHECK_UNREADABLE.
status_t check_flac_copy(int sourceFd, int copyFd, const copy_writer &writer,
                         const format_edit &edit);

#endif  // BRINDLE_TAGS_FLAC_WRITER_H
