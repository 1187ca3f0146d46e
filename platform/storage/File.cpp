#include <File.h>

#include <Entry.h>
#include <Errors.h>
#include <StorageSupport.h>
#include <SystemIo.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

// The open flags a BFile passes on; anything else (O_PATH, O_DIRECTORY, ...) would change
// what kind of descriptor the file holds.
const uint32 kAcceptedFlags = O_ACCMODE | O_CREAT | O_TRUNC | O_EXCL | O_APPEND;

// Runs one read or write call again while a signal interrupts it, and turns a host error
// into a status. A short count (a full disk, a file size limit) is reported as it is.
template <typename Call>
ssize_t io_status(Call call) {
    const ssize_t count = brindle::retry_on_eintr(call);
    return count >= 0 ? count : status_from_errno(errno);
}

}  // namespace

BFile::BFile() : fMode(0), fPosition(0) {}

BFile::BFile(const entry_ref *ref, uint32 openMode) : fMode(0), fPosition(0) {
    SetTo(ref, openMode);
}

BFile::BFile(const BEntry *entry, uint32 openMode) : fMode(0), fPosition(0) {
    SetTo(entry, openMode);
}

BFile::BFile(const char *path, uint32 openMode) : fMode(0), fPosition(0) {
    SetTo(path, openMode);
}

BFile::BFile(const BFile &file)
    : BNode(file), fMode(fStatus == B_OK ? file.fMode : 0), fPosition(file.fPosition) {}

BFile::~BFile() = default;

BFile &BFile::operator=(const BFile &file) {
    if (this == &file)
        return *this;
    BNode::operator=(file);
    fMode = fStatus == B_OK ? file.fMode : 0;
    fPosition = file.fPosition;
    return *this;
}

status_t BFile::SetTo(const entry_ref *ref, uint32 openMode) {
    if (ref == nullptr) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    return _Open(ref, nullptr, openMode);
}

status_t BFile::SetTo(const BEntry *entry, uint32 openMode) {
    entry_ref ref;
    status_t status = entry == nullptr ? B_BAD_VALUE : entry->GetRef(&ref);
    if (status != B_OK) {
        Unset();
        return fStatus = status;
    }
    return _Open(&ref, nullptr, openMode);
}

status_t BFile::SetTo(const char *path, uint32 openMode) {
    if (path == nullptr) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    return _Open(nullptr, path, openMode);
}

void BFile::Unset() {
    BNode::Unset();
    fMode = 0;
    fPosition = 0;
}

bool BFile::IsReadable() const {
    const uint32 access = fMode & O_ACCMODE;
    return fStatus == B_OK && (access == O_RDONLY || access == O_RDWR);
}

bool BFile::IsWritable() const {
    const uint32 access = fMode & O_ACCMODE;
    return fStatus == B_OK && (access == O_WRONLY || access == O_RDWR);
}

ssize_t BFile::Read(void *buffer, size_t size) {
    ssize_t count = ReadAt(fPosition, buffer, size);
    if (count > 0)
        fPosition += count;
    return count;
}

ssize_t BFile::ReadAt(off_t location, void *buffer, size_t size) {
    if (fStatus != B_OK)
        return B_FILE_ERROR;
    if ((buffer == nullptr && size > 0) || location < 0)
        return B_BAD_VALUE;
    return io_status([&] { return pread(fFd, buffer, size, location); });
}

ssize_t BFile::Write(const void *buffer, size_t size) {
    _ForgetSniffedType();
    if ((fMode & O_APPEND) == 0) {
        ssize_t count = WriteAt(fPosition, buffer, size);
        if (count > 0)
            fPosition += count;
        return count;
    }
    // Appending: the host puts the bytes at the end, wherever that is by then, and moves
    // the descriptor's own position past them.
    if (fStatus != B_OK)
        return B_FILE_ERROR;
    if (buffer == nullptr && size > 0)
        return B_BAD_VALUE;
    ssize_t count = io_status([&] { return write(fFd, buffer, size); });
    if (count >= 0) {
        off_t end = lseek(fFd, 0, SEEK_CUR);
        if (end >= 0)
            fPosition = end;
    }
    return count;
}

ssize_t BFile::WriteAt(off_t location, const void *buffer, size_t size) {
    _ForgetSniffedType();
    if (fStatus != B_OK)
        return B_FILE_ERROR;
    if ((buffer == nullptr && size > 0) || location < 0)
        return B_BAD_VALUE;
    return io_status([&] { return pwrite(fFd, buffer, size, location); });
}

off_t BFile::Seek(off_t offset, uint32 seekMode) {
    if (fStatus != B_OK)
        return B_FILE_ERROR;
    off_t base;
    switch (seekMode) {
        case SEEK_SET:
            base = 0;
            break;
        case SEEK_CUR:
            base = fPosition;
            break;
        case SEEK_END: {
            struct stat st;
            if (fstat(fFd, &st) != 0)
                return status_from_errno(errno);
            base = st.st_size;
            break;
        }
        default:
            return B_BAD_VALUE;
    }
    off_t position;
    if (__builtin_add_overflow(base, offset, &position) || position < 0)
        return B_BAD_VALUE;
    return fPosition = position;
}

off_t BFile::Position() const {
    if (fStatus != B_OK)
        return B_FILE_ERROR;
    return fPosition;
}

status_t BFile::GetSize(off_t *size) const {
    if (size == nullptr)
        return B_BAD_VALUE;
    struct stat st;
    status_t status = GetStat(&st);
    if (status != B_OK)
        return status;
    *size = st.st_size;
    return B_OK;
}

status_t BFile::SetSize(off_t size) {
    _ForgetSniffedType();
    if (fStatus != B_OK)
        return B_FILE_ERROR;
    if (size < 0)
        return B_BAD_VALUE;
    const int result = brindle::retry_on_eintr([&] { return ftruncate(fFd, size); });
    return result == 0 ? B_OK : status_from_errno(errno);
}

status_t BFile::_Open(const entry_ref *ref, const char *path, uint32 openMode) {
    Unset();
    if ((openMode & ~kAcceptedFlags) != 0 || (openMode & O_ACCMODE) == O_ACCMODE)
        return fStatus = B_BAD_VALUE;
    // A file opened for reading only is never emptied (the host would, on O_TRUNC).
    if ((openMode & O_TRUNC) != 0 && (openMode & O_ACCMODE) == O_RDONLY)
        return fStatus = B_BAD_VALUE;
    const int flags = static_cast<int>(openMode);
    int fd = -1;
    node_ref node;
    status_t status =
        ref != nullptr
            ? BPrivate::open_entry_ref(ref, flags, BPrivate::kRegularNodes, &fd, &node)
            : BPrivate::open_node_at(AT_FDCWD, path, flags, BPrivate::kRegularNodes, &fd, &node);
    _Adopt(fd, status, node);
    fMode = status == B_OK ? openMode : 0;
    fPosition = 0;
    return status;
}
