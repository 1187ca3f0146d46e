#include <String.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace {

// Copies `length` bytes of `source` into a new NUL-terminated buffer.
char *copy_of(const char *source, int32 length) {
    char *buffer = static_cast<char *>(std::malloc(static_cast<size_t>(length) + 1));
    if (buffer == nullptr)
        throw std::bad_alloc();
    if (length > 0)
        std::memcpy(buffer, source, static_cast<size_t>(length));
    buffer[length] = '\0';
    return buffer;
}

int32 bounded_length(const char *string, int32 maxLength) {
    if (string == nullptr || maxLength <= 0)
        return 0;
    const void *end = std::memchr(string, '\0', static_cast<size_t>(maxLength));
    return end != nullptr ? static_cast<int32>(static_cast<const char *>(end) - string) : maxLength;
}

}  // namespace

BString::BString(const char *string) {
    SetTo(string);
}

BString::BString(const char *string, int32 maxLength) {
    SetTo(string, maxLength);
}

BString::BString(const BString &other) {
    if (other.fPrivateData != nullptr)
        _Adopt(copy_of(other.fPrivateData, other.fLength), other.fLength);
}

BString::BString(BString &&other) noexcept
    : fPrivateData(std::exchange(other.fPrivateData, nullptr)),
      fLength(std::exchange(other.fLength, 0)) {}

BString::~BString() {
    std::free(fPrivateData);
}

BString &BString::operator=(const BString &other) {
    if (this != &other) {
        if (other.fPrivateData == nullptr)
            _Adopt(nullptr, 0);
        else
            _Adopt(copy_of(other.fPrivateData, other.fLength), other.fLength);
    }
    return *this;
}

BString &BString::operator=(BString &&other) noexcept {
    if (this != &other) {
        std::free(fPrivateData);
        fPrivateData = std::exchange(other.fPrivateData, nullptr);
        fLength = std::exchange(other.fLength, 0);
    }
    return *this;
}

BString &BString::operator=(const char *string) {
    return SetTo(string);
}

BString &BString::SetTo(const char *string) {
    return SetTo(string, string != nullptr ? static_cast<int32>(std::strlen(string)) : 0);
}

BString &BString::SetTo(const char *string, int32 maxLength) {
    int32 length = bounded_length(string, maxLength);
    // Copy before freeing: `string` may point into our own buffer.
    _Adopt(length > 0 ? copy_of(string, length) : nullptr, length);
    return *this;
}

void BString::Truncate(int32 newLength) {
    if (newLength < 0)
        newLength = 0;
    if (newLength >= fLength)
        return;
    fPrivateData[newLength] = '\0';
    fLength = newLength;
}

BString &BString::operator+=(const BString &other) {
    return Append(other.String(), other.Length());
}

BString &BString::operator+=(const char *string) {
    return Append(string, string != nullptr ? static_cast<int32>(std::strlen(string)) : 0);
}

BString &BString::operator+=(char c) {
    return Append(&c, 1);
}

BString &BString::Append(const char *string, int32 length) {
    length = bounded_length(string, length);
    if (length == 0)
        return *this;
    int32 newLength = fLength + length;
    char *buffer = static_cast<char *>(std::malloc(static_cast<size_t>(newLength) + 1));
    if (buffer == nullptr)
        throw std::bad_alloc();
    if (fLength > 0)
        std::memcpy(buffer, fPrivateData, static_cast<size_t>(fLength));
    std::memcpy(buffer + fLength, string, static_cast<size_t>(length));
    buffer[newLength] = '\0';
    _Adopt(buffer, newLength);
    return *this;
}

int BString::Compare(const BString &other) const {
    return std::strcmp(String(), other.String());
}

int BString::Compare(const char *string) const {
    return std::strcmp(String(), string != nullptr ? string : "");
}

bool BString::operator==(const BString &other) const {
    return fLength == other.fLength && Compare(other) == 0;
}

bool BString::operator==(const char *string) const {
    return Compare(string) == 0;
}

void BString::_Adopt(char *buffer, int32 length) {
    std::free(fPrivateData);
    fPrivateData = buffer;
    fLength = length;
}
