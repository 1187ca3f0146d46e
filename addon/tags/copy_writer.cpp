#include "tags/copy_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include <Errors.h>
#include <SystemIo.h>

#include "tags/safe_rewrite.h"
#include "tags/save_check.h"

namespace {

constexpr size_t kBufferSize = 256 * 1024;

status_t last_error() {
    return status_from_errno(errno);
}

}  // namespace

uint64_t copy_digest(const void *bytes, size_t length, uint64_t state) {
    // FNV-1a, 64 bits: it stands for bytes this process wrote a moment ago, against a
    // truncated, shifted or otherwise damaged read-back, not against an adversary.
    uint64_t hash = state;
    const auto *byte = static_cast<const unsigned char *>(bytes);
    for (size_t i = 0; i < length; i++) {
        hash ^= byte[i];
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

copy_writer::copy_writer(int sourceFd, int copyFd) : fSource(sourceFd), fCopy(copyFd) {}

status_t copy_writer::Write(const void *bytes, size_t length) {
    if (fStatus != B_OK)
        return fStatus;
    if (length == 0)
        return B_OK;
    if (brindle::write_all(fCopy, bytes, length) != 0)
        return fStatus = last_error();
    copy_piece piece;
    piece.copyOffset = fLength;
    piece.length = static_cast<off_t>(length);
    piece.digest = copy_digest(bytes, length);
    fPieces.push_back(piece);
    fLength += static_cast<off_t>(length);
    return B_OK;
}

status_t copy_writer::Copy(off_t from, off_t length) {
    if (fStatus != B_OK)
        return fStatus;
    if (from < 0 || length < 0)
        return fStatus = B_BAD_VALUE;
    off_t done = 0;
    bool kernelCopy = true;
    std::vector<char> buffer;
    // A file system that shares blocks (btrfs, XFS) shares only whole blocks at the same place
    // within a block on both sides. When the run sits alike in both files, the bytes up to the
    // next block boundary go first, so the rest starts aligned and can be shared, not copied.
    const off_t block = BlockSize();
    off_t unaligned = 0;
    if (block > 0 && length > 2 * block && from % block == fLength % block)
        unaligned = (block - from % block) % block;
    while (done < length) {
        off_t step = std::min<off_t>(length - done, 1 << 30);
        if (done < unaligned)
            step = unaligned - done;
        const size_t want = static_cast<size_t>(step);
        loff_t in = from + done;
        ssize_t count = -1;
        if (kernelCopy) {
            count = brindle::retry_on_eintr(
                [&] { return copy_file_range(fSource, &in, fCopy, nullptr, want, 0); });
            // Across file systems, or where the call is missing: the bytes go through here.
            if (count < 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP ||
                              errno == EINVAL || errno == EBADF)) {
                kernelCopy = false;
                continue;
            }
        } else {
            if (buffer.empty())
                buffer.resize(kBufferSize);
            count = brindle::read_all_at(fSource, buffer.data(), std::min(want, buffer.size()),
                                         from + done);
            if (count > 0 &&
                brindle::write_all(fCopy, buffer.data(), static_cast<size_t>(count)) != 0)
                return fStatus = last_error();
        }
        if (count < 0)
            return fStatus = last_error();
        if (count == 0)
            return fStatus = REWRITE_FILE_CHANGED;  // the original ends sooner: cut meanwhile
        done += count;
    }
    if (length > 0) {
        copy_piece piece;
        piece.copyOffset = fLength;
        piece.length = length;
        piece.copied = true;
        piece.sourceOffset = from;
        fPieces.push_back(piece);
        fLength += length;
    }
    return B_OK;
}

off_t copy_writer::BlockSize() const {
    struct stat made;
    return fstat(fCopy, &made) == 0 ? static_cast<off_t>(made.st_blksize) : 0;
}

status_t copy_writer::VerifyWritten(status_t writtenFailure) const {
    if (fStatus != B_OK)
        return fStatus;
    struct stat made;
    if (fstat(fCopy, &made) != 0)
        return CHECK_UNREADABLE;
    if (made.st_size != fLength)
        return CHECK_LENGTH_WRONG;
    std::vector<char> buffer;
    for (const copy_piece &piece : fPieces) {
        if (piece.copied)
            continue;
        uint64_t digest = COPY_DIGEST_START;
        off_t done = 0;
        while (done < piece.length) {
            const size_t want =
                static_cast<size_t>(std::min<off_t>(piece.length - done, kBufferSize));
            buffer.resize(want);
            ssize_t count =
                brindle::read_all_at(fCopy, buffer.data(), want, piece.copyOffset + done);
            if (count != static_cast<ssize_t>(want))
                return CHECK_UNREADABLE;
            digest = copy_digest(buffer.data(), want, digest);
            done += count;
        }
        if (digest != piece.digest)
            return writtenFailure;
    }
    return B_OK;
}

bool copy_writer::CopiedVerbatim(off_t from, off_t length, off_t at) const {
    if (fStatus != B_OK)
        return false;
    // The runs must cover [at, at + length) of the copy, each from the matching place.
    off_t covered = 0;
    for (const copy_piece &piece : fPieces) {
        if (covered == length)
            break;
        const off_t want = at + covered;
        if (piece.copyOffset + piece.length <= want || piece.copyOffset > want)
            continue;
        if (!piece.copied)
            return false;
        const off_t into = want - piece.copyOffset;
        if (piece.sourceOffset + into != from + covered)
            return false;
        covered += std::min(piece.length - into, length - covered);
    }
    return covered == length;
}
