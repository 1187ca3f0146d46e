// Writing the Vorbis comment of an Ogg Vorbis or Opus file without TagLib. Only the comment
// packet changes: the header pages after the first are laid out again, and the pages after
// them keep their packets and granule positions, with their sequence numbers and CRCs made
// right (when the header pages are as many as before, they go verbatim). In a chained file
// only the first link is edited; a multiplexed file (another logical stream beside the audio,
// as Skeleton or video) is not written. When the header pages come out as many and as long as
// before, so nothing after them moves, only the bytes that change are written, in place, and
// the pages are read back and checked (tags/in_place_write.h); any other edit goes to a
// checked copy that replaces the file (tags/safe_rewrite.h).
//
// REQUIRES: the caller holds the file's save lock (tags/file_lock.h).
#ifndef BRINDLE_TAGS_OGG_WRITER_H
#define BRINDLE_TAGS_OGG_WRITER_H

#include <File.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

#include "tags/mp4/formats_codec.h"

class copy_writer;

// Applies `edit` to the comment of `file` (open read-write) as `format` (TAG_FORMAT_VORBIS or
// TAG_FORMAT_OPUS). B_OK when written, or when the comment already holds it; `*replaced` and
// `replacement` as write_flac_comment gives them. TAG_MULTIPLEXED_OGG (nothing written);
// B_BAD_DATA for a stream that cannot be read, or whose header packets share a page with
// audio; a check failure of tags/save_check.h; the results of rewrite_file_checked.
status_t write_ogg_comment(BFile &file, tag_format format, const format_edit &edit, bool *replaced,
                           node_ref *replacement);

// Checks a copy of the Ogg file open on `sourceFd`, open on `copyFd` and built by `writer`,
// against the original and `edit`: the first page and every header packet but the comment
// keep their bytes; the comment holds `edit` over the original's and nothing else changed in
// it; every later page of the first link keeps its flags, granule position, segments and
// packet bytes, with its sequence number moved by the header pages gained and a right CRC;
// whatever follows the first link keeps its bytes; the copy has the length meant. B_OK,
// CHECK_AUDIO_CHANGED, CHECK_OTHER_DATA_CHANGED, CHECK_FIELD_WRONG, CHECK_LENGTH_WRONG or
// CHECK_UNREADABLE.
status_t check_ogg_copy(int sourceFd, int copyFd, const copy_writer &writer, tag_format format,
                        const format_edit &edit);

#endif  // BRINDLE_TAGS_OGG_WRITER_H
