// Replacing a file by a complete new one (a grown front, or a copy changed by a library)
// without ever leaving a half-written file under its name.
//
// The new file is written beside the old one, in the directory the file really lives in
// (symbolic links followed) without a name (O_TMPFILE, where the file system has it), given
// the old file's extended attributes and exactly its ACL
// (nothing the folder's default ACL would add), its inode flags, owner and mode, flushed to
// the disk and swapped with the old one in one step (renameat2 RENAME_EXCHANGE; a plain
// rename on file systems without it), named (".brindle-save-…") only just before. What the
// swap took out must be the untouched file that was copied (same data and change time, no
// other hard link), else it is swapped back. Every write of the copy is checked, and the copy
// is read back before the swap. A crash at any point leaves the old file or the new one under
// the name, never a mixture; at worst a named temporary nobody holds any more stays beside it,
// and the next rewrite in that folder removes it (the writer holds each temporary under
// flock, so a live one is never taken for abandoned).
//
// A copy edited through its path (rewrite_file_copy, rewrite_file_checked) first has room to
// grow set aside (256 KiB past the original's length), so that a library that does not report
// its failed writes (TagLib) meets no full disk: a disk without that room gives B_DEVICE_FULL.
//
// REQUIRES: the caller holds the file's save lock (tags/file_lock.h) for the whole save, so
// that another Brindle save cannot write between the copy and the swap.
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
// An extended attribute the file carries cannot be given to the new file (a security.*
// attribute a normal user may not set, say): the file is left alone.
constexpr status_t REWRITE_ATTRIBUTE_NOT_KEPT = B_GENERAL_ERROR_BASE + 0x10000;
// The file's inode flags (chattr's d, A, S, ...) cannot be given to the new file.
constexpr status_t REWRITE_FLAGS_NOT_KEPT = REWRITE_ATTRIBUTE_NOT_KEPT + 1;
// The folder takes no new file (chattr's i or a on it); its permissions would say
// B_PERMISSION_DENIED.
constexpr status_t REWRITE_FOLDER_LOCKED = REWRITE_ATTRIBUTE_NOT_KEPT + 2;
// Another program's file came under the name during the swap and could not be put back: the
// copy is under the name, and the other file under rewrite_kept_name() beside it.
constexpr status_t REWRITE_KEPT_ASIDE = REWRITE_ATTRIBUTE_NOT_KEPT + 3;

// Replaces the first `oldLength` bytes of `file` by the `length` bytes at `head`, keeping
// everything after them. `file` must be open for reading. Returns B_OK when the new file has
// taken the old one's name: `file` then still refers to the old file, which no name leads to
// any more, and `replacement` (when given) receives the new file's node. Any other status
// means nothing was renamed and no temporary file is left: REWRITE_HARD_LINKED,
// REWRITE_FILE_CHANGED, REWRITE_ATTRIBUTE_NOT_KEPT, REWRITE_FLAGS_NOT_KEPT,
// REWRITE_FOLDER_LOCKED, REWRITE_KEPT_ASIDE, a check failure of tags/save_check.h (a written
// piece reads back otherwise: CHECK_FIELD_WRONG; a copied run is not where it belongs:
// CHECK_OTHER_DATA_CHANGED; CHECK_LENGTH_WRONG, CHECK_UNREADABLE), B_BAD_VALUE when `oldLength`
// passes the end of the file, or the host's error (B_PERMISSION_DENIED for a directory the process
// may not write, B_DEVICE_FULL for a full disk or a file size limit, B_NOT_ALLOWED when the owner
// cannot be given, ...).
status_t rewrite_file_head(BFile &file, off_t oldLength, const void *head, size_t length,
                           node_ref *replacement);

// Writes a complete copy of `file` beside it (same folder, following a symlink), lets `edit`
// change the copy through its path / read-write descriptor, flushes it and replaces the file by
// it, keeping xattrs, ACL, inode flags, owner, mode; a hard-linked file is left alone.
//
// `edit` gets a path that opens the copy (/proc/self/fd/N) and a descriptor open for reading and
// writing at the copy's end; it may open the path itself (TagLib does) and may change the size.
// What it returns other than B_OK stops the save: the copy is removed and that status returned. The
// results are those of rewrite_file_head, whose contract holds here too.
status_t rewrite_file_copy(BFile &file,
                           const std::function<status_t(const char *copyPath, int copyFd)> &edit,
                           node_ref *replacement);

class copy_writer;

// Builds a checked copy of `file` beside it and replaces the file by it, as above.
//
// `build` appends the copy's content through the copy_writer it is given (made on the original
// and the copy), and may also open the copy through `copyPath` (TagLib does) or write through
// `copyFd`. Once the copy is flushed, `check` reads it back (`copyFd`, open for reading and
// writing) against the original (`sourceFd`) with the writer's record of what went where, and
// the swap happens only when it returns B_OK. What `build` or `check` returns other than B_OK
// stops the save: the copy is removed, the file is untouched, and that status is returned
// (a check failure of tags/save_check.h, say). The other results are rewrite_file_head's.
using copy_builder = std::function<status_t(copy_writer &writer, const char *copyPath, int copyFd)>;
using copy_checker = std::function<status_t(int sourceFd, int copyFd, const copy_writer &writer)>;
status_t rewrite_file_checked(BFile &file, const copy_builder &build, const copy_checker &check,
                              node_ref *replacement);

// After REWRITE_KEPT_ASIDE on this thread: the name, in the file's folder, of the other
// program's file that was kept.
const char *rewrite_kept_name();

#endif  // BRINDLE_TAGS_SAFE_REWRITE_H
