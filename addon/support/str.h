// vesk::str_t: a handle to a shared, reference-counted text that is never modified.
//
// Copying a handle costs one atomic increment and no characters; every change builds a new
// record, so a text that two handles share is never altered under either of them. Handles to
// one record may be copied and released on different threads; a single handle must not be
// changed by two threads at once.
#ifndef BRINDLE_SUPPORT_STR_H
#define BRINDLE_SUPPORT_STR_H

#include <Point.h>
#include <String.h>
#include <SupportDefs.h>

namespace vesk {

// The shared record. `text` is fixed once the record is built; `refs` counts the handles
// pointing here and is changed only with atomic_add().
struct str_rep {
    BString text;
    int32 refs;
};

class str_t {
public:
    // An empty text: a record whose string holds no buffer.
    str_t();
    // A copy of `text`; nullptr counts as "".
    str_t(const char *text);
    str_t(const str_t &other);
    ~str_t();

    // Safe on itself: the other record is taken before the own one is let go.
    str_t &operator=(const str_t &other);
    // `text` may point into this handle's own characters.
    str_t &operator=(const char *text);
    str_t &operator+=(const str_t &other);
    str_t &operator+=(const char *text);

    bool operator==(const str_t &other) const;
    bool operator==(const char *text) const;
    bool operator!=(const str_t &other) const { return !(*this == other); }
    bool operator!=(const char *text) const { return !(*this == text); }

    // Bytes, without the terminating NUL; 0 for a text without buffer.
    int32 length() const;
    // Never null; valid while any handle to this record lives.
    const char *c_str() const;
    const BString &b_str() const;

    static str_t fromPoint(const BPoint &point);  // "(x,y)", each "%.4g"
    static str_t fromFloat(float value);          // "%.4g"
    static str_t fromInt32(int32 value);          // signed decimal
    static str_t fromInt64(int64 value);          // signed decimal

private:
    static str_rep *_NewRep(const char *text);
    static void _Release(str_rep *rep);
    // Lets go of the own record and takes `rep`, which already counts this handle.
    void _Adopt(str_rep *rep);

    str_rep *fRep;
};

str_t operator+(const str_t &left, const char *right);
str_t operator+(const str_t &left, const str_t &right);

}  // namespace vesk

#endif  // BRINDLE_SUPPORT_STR_H
