// Building the copy that replaces a file (tags/safe_rewrite.h), piece by piece, so that every
// byte of it can be accounted for before the swap.
//
// A writer appends pieces in order: bytes it made (Write) and runs of the original file moved
// verbatim (Copy, through copy_file_range where the file system has it: a reflink on btrfs
// and XFS, a server-side copy on NFS; read and write elsewhere). Every write is checked: a
// short or failed one (a full disk) stops the copy with the host's error. After the copy is
// flushed, every written piece is read back and compared with what was meant; the copied runs
// are held to the counts the kernel returned and to their places, not read again.
#ifndef BRINDLE_TAGS_COPY_WRITER_H
#define BRINDLE_TAGS_COPY_WRITER_H

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include <SupportDefs.h>

// One piece of the copy, where it lies in the copy and, for a copied run, in the original.
struct copy_piece {
    off_t copyOffset = 0;
    off_t length = 0;
    bool copied = false;      // true: a verbatim run of the original
    off_t sourceOffset = -1;  // a copied run's place in the original
    uint64_t digest = 0;      // a written piece's digest (copy_digest), read back after the flush
};

// The digest the written pieces are compared by after they are read back. It runs over bytes
// given in parts: each call continues from the `state` the last one returned.
constexpr uint64_t COPY_DIGEST_START = 0xcbf29ce484222325ULL;
uint64_t copy_digest(const void *bytes, size_t length, uint64_t state = COPY_DIGEST_START);

class copy_writer {
public:
    // Appends to the copy open on `copyFd` (at its current end, which the writer tracks from
    // 0), taking copied runs from the original open on `sourceFd`. Neither is closed here.
    copy_writer(int sourceFd, int copyFd);
    copy_writer(const copy_writer &) = delete;
    copy_writer &operator=(const copy_writer &) = delete;

    // Appends `length` bytes. B_OK, or the host's error (B_DEVICE_FULL for a full disk or a
    // file size limit); after a failure every later call fails with the same status.
    status_t Write(const void *bytes, size_t length);
    status_t Write(const std::string &bytes) { return Write(bytes.data(), bytes.size()); }
    // Appends the original's bytes [from, from + length) verbatim. B_OK; REWRITE_FILE_CHANGED
    // when the original ends sooner (someone cut it meanwhile); or the host's error.
    status_t Copy(off_t from, off_t length);

    // The copy's file system's block size (st_blksize): a writer that moves the original's
    // bytes by a multiple of it lets a file system that shares blocks share them. 0 when unknown.
    off_t BlockSize() const;

    // The copy's length so far.
    off_t Length() const { return fLength; }
    const std::vector<copy_piece> &Pieces() const { return fPieces; }
    status_t Status() const { return fStatus; }

    // After the copy is flushed: the copy's length is Length() and every written piece reads
    // back as written. B_OK, CHECK_LENGTH_WRONG, CHECK_UNREADABLE, or the first check failure
    // `writtenFailure` names for a piece that differs (the caller knows what the piece was).
    status_t VerifyWritten(status_t writtenFailure) const;

    // True when the original's [from, from + length) went verbatim to [at, at + length) of the
    // copy, as one or more copied runs the kernel counted in full.
    bool CopiedVerbatim(off_t from, off_t length, off_t at) const;

private:
    int fSource;
    int fCopy;
    off_t fLength = 0;
    status_t fStatus = B_OK;
    std::vector<copy_piece> fPieces;
};

#endif  // BRINDLE_TAGS_COPY_WRITER_H
