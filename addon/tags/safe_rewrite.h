// Growing the front of a file, or changing it through a copy, without ever leaving a half-written
// file under its name.
//
// A complete new file is written beside the old one, in the directory the file really lives
// in (symbolic links followed), given the old file's extended attributes, owner and mode,
// flushed to the disk and renamed over the old one. A crash at any point leaves the old file
// or the new one under the name, never a mixture; at worst a hidden temporary file stays
// beside it (".brindle-save-…").
#ifndef BRINDLE_TAGS_SAFE_REWRITE_H
#define BRINDLE_TAGS_SAFE_REWRITE_H

#include <functional>

#include <File.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

// The file has other hard links: replacing it would part them, so it is left alone.
constexpr status_t REWRITE_HARD_LINKED = B_NAME_IN_USE;
// The file's name no longer leads to it, or the file changed while it was being copied.
constexpr status_t REWRITE_FILE_CHANGED = B_CANCELED;

// Replaces the first `oldLength` bytes of `file` by the `length` bytes at `head`, keeping
// everything after them. `file` must be open for reading. Returns B_OK when the new file has
// taken the old one's name: `file` then still refers to the old file, which no name leads to
// any more, and `replacement` (when given) receives the new file's node. Any other status
// means nothing was renamed and no temporary file is left: REWRITE_HARD_LINKED,
// REWRITE_FILE_CHANGED, B_BAD_VALUE when `oldLength` passes the end of the file, or the host's
// error (B_PERMISSION_DENIED for a directory the process may not write, B_DEVICE_FULL for a
// full disk or a file size limit, B_NOT_ALLOWED when the owner cannot be given, ...).
status_t rewrite_file_head(BFile &file, off_t oldLength, const void *head, size_t length,
                           node_ref *replacement);

// Writes a complete copy of `file` beside it (same folder, following a symlink), lets `edit`
// change the copy through its path / read-write descriptor, flushes it and replaces the file by
// it, keeping xattrs, ACL, inode flags, owner, mode; a hard-linked file is left alone.
//
// `edit` gets the copy's absolute path and a descriptor open for reading and writing at the
// copy's end; it may open the path itself (TagLib does) and may change the size. What it
// returns other than B_OK stops the save: the copy is removed and that status returned. The
// results are those of rewrite_file_head, whose contract holds here too.
status_t rewrite_file_copy(BFile &file,
                           const std::function<status_t(const char *copyPath, int copyFd)> &edit,
                           node_ref *replacement);

#endif  // BRINDLE_TAGS_SAFE_REWRITE_H
