// The ID3v2 tag at the front of a file, frame by frame: found and read without TagLib, and
// written back with every frame the edit leaves keeping its bytes. The texts (id3v2.h) and
// the ratings (id3v2_rating.h) share it.
#ifndef BRINDLE_TAGS_ID3V2_FILE_H
#define BRINDLE_TAGS_ID3V2_FILE_H

#include <functional>
#include <string>

#include <File.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

#include "tags/id3v2/id3v2_layout.h"

// True when the file's first 10 bytes are an ID3v2 header of version 2.2, 2.3 or 2.4.
bool read_id3v2_header(BFile &file, id3v2_header *header);

// The whole tag, header included; false when the file ends before it does.
bool read_id3v2_tag(BFile &file, const id3v2_header &header, std::string *tag);

// Picks frames by their id ("TIT2", or "TT2" in a 2.2 tag).
using id3v2_frame_filter = std::function<bool(const std::string &id)>;

// The frames `wanted` picks from the file's tag, headers included, one after another, with a
// 2.2 or 2.3 tag's unsynchronisation undone. The tag is read a window at a time, so large
// frames nobody wants (cover pictures) are skipped, not read. Frames up to any damage count,
// as other readers take them. False when the file has no tag this can read.
bool read_id3v2_frames(BFile &file, const id3v2_frame_filter &wanted, id3v2_header *header,
                       std::string *frames);

// The same from a complete tag held in memory.
bool id3v2_frames_in(const id3v2_header &header, const std::string &tag,
                     const id3v2_frame_filter &wanted, std::string *frames);

// Decides a frame's fate in an edit: false keeps it as it is; true replaces it by
// `*replacement` (empty: the frame goes).
using id3v2_frame_edit =
    std::function<bool(const std::string &id, const std::string &frame, std::string *replacement)>;

// The frame area of `tag` edited: each frame goes through `edit`, in order (the caller may
// append new frames after the last). `moved` tells whether a frame kept as it was now starts
// elsewhere. B_BAD_DATA when the tag cannot be split into frames without losing something.
status_t edit_id3v2_frames(const id3v2_header &header, const std::string &tag,
                           const id3v2_frame_edit &edit, std::string *frames, bool *moved);

// Puts `frames` (from edit_id3v2_frames) into the file as its tag, in the tag's own version.
// In place, writing only the bytes that differ, when they fit the old tag's room and no kept
// frame moved; otherwise the file is replaced with a new head (rewrite_file_head), with room
// for later edits when the tag grew: then `*replaced` is true and `replacement` names the new
// file. Results as rewrite_file_head gives them.
status_t store_id3v2_frames(BFile &file, const id3v2_header &header, const std::string &tag,
                            const std::string &frames, bool moved, bool *replaced,
                            node_ref *replacement);

#endif  // BRINDLE_TAGS_ID3V2_FILE_H
