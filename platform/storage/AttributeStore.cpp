#include <AttributeStore.h>

#include <Errors.h>

#include <linux/limits.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace BPrivate {

namespace {

const char kNamespace[] = "user.haiku.";
const size_t kNamespaceLength = sizeof(kNamespace) - 1;
const size_t kTypeCodeSize = 4;
// Titles, ratings and MIME types all fit here, so the common read is one fgetxattr.
// Kept modest: the kernel allocates and zeroes as many bytes as we offer.
const size_t kInlineValueSize = 1024;

void encode_type(type_code type, char *bytes) {
    for (size_t i = 0; i < kTypeCodeSize; ++i)
        bytes[i] = static_cast<char>((type >> (8 * i)) & 0xff);
}

type_code decode_type(const char *bytes) {
    type_code type = 0;
    for (size_t i = 0; i < kTypeCodeSize; ++i)
        type |= static_cast<type_code>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return type;
}

// The xattr name of an attribute: the namespace, then the name with '/' and '%' escaped.
class MangledName {
public:
    explicit MangledName(const char *name) {
        if (name == nullptr || name[0] == '\0') {
            fStatus = B_BAD_VALUE;
            return;
        }
        std::memcpy(fBuffer, kNamespace, kNamespaceLength);
        size_t length = kNamespaceLength;
        for (const char *c = name; *c != '\0'; ++c) {
            const bool escaped = *c == '/' || *c == '%';
            if (length + (escaped ? 2 : 1) > XATTR_NAME_MAX) {
                fStatus = B_NAME_TOO_LONG;
                return;
            }
            if (escaped) {
                fBuffer[length++] = '%';
                fBuffer[length++] = *c == '/' ? '\\' : '%';
            } else {
                fBuffer[length++] = *c;
            }
        }
        fBuffer[length] = '\0';
        fStatus = B_OK;
    }

    status_t InitCheck() const { return fStatus; }
    const char *String() const { return fBuffer; }

private:
    char fBuffer[XATTR_NAME_MAX + 1];
    status_t fStatus;
};

// The raw bytes of one extended attribute, fetched whole (xattrs cannot be read in part).
class RawValue {
public:
    // Returns the value's size or a negative status.
    ssize_t Fetch(int fd, const char *xattrName) {
        ssize_t size = fgetxattr(fd, xattrName, fInline, sizeof(fInline));
        if (size >= 0) {
            fData = fInline;
            return size;
        }
        // Larger than the inline buffer: ask for its size, and ask again should it grow
        // between the two calls (another writer).
        for (int attempt = 0; attempt < 4 && errno == ERANGE; ++attempt) {
            ssize_t needed = fgetxattr(fd, xattrName, nullptr, 0);
            if (needed < 0)
                break;
            fHeap.reset(new (std::nothrow) char[needed > 0 ? needed : 1]);
            if (!fHeap)
                return B_NO_MEMORY;
            size = fgetxattr(fd, xattrName, fHeap.get(), static_cast<size_t>(needed));
            if (size >= 0) {
                fData = fHeap.get();
                return size;
            }
        }
        return status_from_errno(errno);
    }

    const char *Data() const { return fData; }

private:
    char fInline[kInlineValueSize];
    std::unique_ptr<char[]> fHeap;
    const char *fData = fInline;
};

// A buffer for a value about to be written: inline when small, else on the heap.
class OutgoingValue {
public:
    char *Allocate(size_t size) {
        if (size <= sizeof(fInline))
            return fInline;
        fHeap.reset(new (std::nothrow) char[size]);
        return fHeap.get();
    }

private:
    char fInline[kInlineValueSize];
    std::unique_ptr<char[]> fHeap;
};

}  // namespace

ssize_t AttributeStore::Read(const char *name, off_t offset, void *buffer, size_t length,
                             attr_info *info) const {
    if (name == nullptr || (buffer == nullptr && length > 0) || offset < 0)
        return B_BAD_VALUE;
    MangledName xattrName(name);
    if (xattrName.InitCheck() != B_OK)
        return xattrName.InitCheck();

    RawValue value;
    ssize_t size = value.Fetch(fFd, xattrName.String());
    if (size < 0)
        return size;
    if (static_cast<size_t>(size) < kTypeCodeSize)
        return B_BAD_DATA;

    const size_t valueLength = static_cast<size_t>(size) - kTypeCodeSize;
    if (info != nullptr) {
        info->type = decode_type(value.Data());
        info->size = static_cast<off_t>(valueLength);
    }
    if (static_cast<uint64>(offset) >= valueLength)
        return 0;
    size_t count = valueLength - static_cast<size_t>(offset);
    if (count > length)
        count = length;
    if (count > 0)
        std::memcpy(buffer, value.Data() + kTypeCodeSize + offset, count);
    return static_cast<ssize_t>(count);
}

ssize_t AttributeStore::Write(const char *name, type_code type, off_t offset, const void *buffer,
                              size_t length) const {
    if (name == nullptr || (buffer == nullptr && length > 0) || offset < 0)
        return B_BAD_VALUE;
    MangledName xattrName(name);
    if (xattrName.InitCheck() != B_OK)
        return xattrName.InitCheck();
    // More than one xattr can hold: the host's own answer for that is E2BIG.
    if (static_cast<uint64>(offset) > kMaxValueLength ||
        length > kMaxValueLength - static_cast<size_t>(offset))
        return status_from_errno(E2BIG);

    // Writing into the middle of a value keeps what is around it: read it first.
    RawValue existing;
    size_t existingLength = 0;
    if (offset > 0) {
        ssize_t size = existing.Fetch(fFd, xattrName.String());
        if (size >= 0 && static_cast<size_t>(size) < kTypeCodeSize)
            return B_BAD_DATA;
        if (size < 0 && size != B_ENTRY_NOT_FOUND)
            return size;
        if (size >= 0)
            existingLength = static_cast<size_t>(size) - kTypeCodeSize;
    }

    const size_t end = static_cast<size_t>(offset) + length;
    const size_t newLength = end > existingLength ? end : existingLength;
    OutgoingValue outgoing;
    char *bytes = outgoing.Allocate(kTypeCodeSize + newLength);
    if (bytes == nullptr)
        return B_NO_MEMORY;
    encode_type(type, bytes);
    char *data = bytes + kTypeCodeSize;
    if (existingLength > 0)
        std::memcpy(data, existing.Data() + kTypeCodeSize, existingLength);
    if (static_cast<size_t>(offset) > existingLength)
        std::memset(data + existingLength, 0, static_cast<size_t>(offset) - existingLength);
    if (length > 0)
        std::memcpy(data + offset, buffer, length);

    if (fsetxattr(fFd, xattrName.String(), bytes, kTypeCodeSize + newLength, 0) != 0)
        return status_from_errno(errno);
    return static_cast<ssize_t>(length);
}

status_t AttributeStore::Remove(const char *name) const {
    MangledName xattrName(name);
    if (xattrName.InitCheck() != B_OK)
        return xattrName.InitCheck();
    if (fremovexattr(fFd, xattrName.String()) != 0)
        return status_from_errno(errno);
    return B_OK;
}

status_t AttributeStore::GetInfo(const char *name, attr_info *info) const {
    if (info == nullptr)
        return B_BAD_VALUE;
    ssize_t result = Read(name, 0, nullptr, 0, info);
    return result < 0 ? static_cast<status_t>(result) : B_OK;
}

ssize_t AttributeStore::ReadForeign(const char *xattrName, void *buffer, size_t length) const {
    // A zero length would turn the host call into a size query.
    if (xattrName == nullptr || buffer == nullptr || length == 0)
        return B_BAD_VALUE;
    ssize_t size = fgetxattr(fFd, xattrName, buffer, length);
    if (size < 0)
        return status_from_errno(errno);
    return size;
}

ssize_t AttributeStore::ReadHost(const char *xattrName, void *buffer, size_t length) const {
    if (xattrName == nullptr || xattrName[0] == '\0' || (buffer == nullptr && length > 0))
        return B_BAD_VALUE;
    RawValue value;
    ssize_t size = value.Fetch(fFd, xattrName);
    if (size < 0)
        return size;
    const size_t count = static_cast<size_t>(size) < length ? static_cast<size_t>(size) : length;
    if (count > 0)
        std::memcpy(buffer, value.Data(), count);
    return static_cast<ssize_t>(count);
}

ssize_t AttributeStore::WriteHost(const char *xattrName, const void *buffer, size_t length) const {
    if (xattrName == nullptr || xattrName[0] == '\0' || (buffer == nullptr && length > 0))
        return B_BAD_VALUE;
    if (length > kMaxValueLength + kTypeCodeSize)
        return status_from_errno(E2BIG);
    if (fsetxattr(fFd, xattrName, length > 0 ? buffer : "", length, 0) != 0)
        return status_from_errno(errno);
    return static_cast<ssize_t>(length);
}

}  // namespace BPrivate
