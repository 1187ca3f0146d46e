// Saving an MP4 file's ilst: TagLib writes it, on a complete copy beside the file, and our own
// check (tags/mp4/mp4_check.h) reads the copy back against the original before it replaces
// the file. Only files whose layout TagLib keeps intact are written.
#ifndef BRINDLE_TAGS_MP4_WRITE_H
#define BRINDLE_TAGS_MP4_WRITE_H

#include <File.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

#include "tags/mp4/formats_codec.h"

// Writes `edit` into `file`'s ilst through `taglib` (the loaded module). B_OK when the checked
// copy has replaced the file (`*replaced` true, `replacement` its node); TAG_FRAGMENTED_MP4
// for a fragmented file and B_BAD_DATA for one whose atoms make no sense, both before
// anything is copied; B_BAD_DATA when TagLib cannot save it; a check failure of
// tags/save_check.h; the rest as rewrite_file_checked gives them.
status_t write_mp4_tag(BFile &file, const formats_codec &taglib, const format_edit &edit,
                       bool *replaced, node_ref *replacement);

#endif  // BRINDLE_TAGS_MP4_WRITE_H
