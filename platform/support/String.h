// BString: an owned, NUL-terminated character string.
//
// An empty BString may hold no buffer at all; String() then returns "" and Length() 0.
// Lengths are bytes. A BString is not safe to change from two threads at once.
#ifndef BRINDLE_SUPPORT_STRING_H
#define BRINDLE_SUPPORT_STRING_H

#include <SupportDefs.h>

class BString {
public:
    BString() = default;
    BString(const char *string);
    BString(const char *string, int32 maxLength);
    BString(const BString &other);
    BString(BString &&other) noexcept;
    ~BString();

    BString &operator=(const BString &other);
    BString &operator=(BString &&other) noexcept;
    BString &operator=(const char *string);

    BString &SetTo(const char *string);
    BString &SetTo(const char *string, int32 maxLength);
    void Truncate(int32 newLength);

    // The characters, or "" when there is no buffer. Never null.
    const char *String() const { return fPrivateData != nullptr ? fPrivateData : ""; }
    int32 Length() const { return fLength; }
    bool IsEmpty() const { return fLength == 0; }
    // True when no character buffer is held (an empty string kept without one).
    bool HasNoBuffer() const { return fPrivateData == nullptr; }

    BString &operator+=(const BString &other);
    BString &operator+=(const char *string);
    BString &operator+=(char c);
    BString &Append(const char *string, int32 length);

    int Compare(const BString &other) const;
    int Compare(const char *string) const;
    bool operator==(const BString &other) const;
    bool operator!=(const BString &other) const { return !(*this == other); }
    bool operator==(const char *string) const;
    bool operator!=(const char *string) const { return !(*this == string); }
    bool operator<(const BString &other) const { return Compare(other) < 0; }

private:
    void _Adopt(char *buffer, int32 length);

    char *fPrivateData = nullptr;
    int32 fLength = 0;
};

#endif  // BRINDLE_SUPPORT_STRING_H
