#include "support/str.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace vesk {

str_rep *str_t::_NewRep(const char *text) {
    return new str_rep{BString(text), 1};
}

void str_t::_Release(str_rep *rep) {
    // atomic_add returns the count before the change: whoever saw 1 held the last handle.
    if (atomic_add(&rep->refs, -1) == 1)
        delete rep;
}

void str_t::_Adopt(str_rep *rep) {
    _Release(fRep);
    fRep = rep;
}

str_t::str_t() : fRep(new str_rep{BString(), 1}) {}

str_t::str_t(const char *text) : fRep(_NewRep(text)) {}

str_t::str_t(const str_t &other) : fRep(other.fRep) {
    atomic_add(&fRep->refs, 1);
}

str_t::~str_t() {
    _Release(fRep);
}

str_t &str_t::operator=(const str_t &other) {
    // Count the other record first, so assigning a handle to itself never frees it.
    atomic_add(&other.fRep->refs, 1);
    _Adopt(other.fRep);
    return *this;
}

str_t &str_t::operator=(const char *text) {
    // The copy is made before the own record goes, since `text` may live in it.
    _Adopt(_NewRep(text));
    return *this;
}

str_t &str_t::operator+=(const str_t &other) {
    str_rep *joined = new str_rep{fRep->text, 1};
    joined->text.Append(other.fRep->text.String(), other.fRep->text.Length());
    _Adopt(joined);
    return *this;
}

str_t &str_t::operator+=(const char *text) {
    str_rep *joined = new str_rep{fRep->text, 1};
    joined->text += text;
    _Adopt(joined);
    return *this;
}

bool str_t::operator==(const str_t &other) const {
    if (fRep == other.fRep)
        return true;
    // String() reads "" for a text without buffer.
    return std::strcmp(fRep->text.String(), other.fRep->text.String()) == 0;
}

bool str_t::operator==(const char *text) const {
    return fRep->text == text;
}

int32 str_t::length() const {
    return fRep->text.Length();
}

const char *str_t::c_str() const {
    return fRep->text.String();
}

const BString &str_t::b_str() const {
    return fRep->text;
}

str_t str_t::fromPoint(const BPoint &point) {
    char buffer[256];
    snprintf(buffer, sizeof(buffer), "(%.4g,%.4g)", point.x, point.y);
    return str_t(buffer);
}

str_t str_t::fromFloat(float value) {
    char buffer[128];
    snprintf(buffer, sizeof(buffer), "%.4g", value);
    return str_t(buffer);
}

str_t str_t::fromInt32(int32 value) {
    char buffer[32];
    snprintf(buffer, sizeof(buffer), "%" PRId32, value);
    return str_t(buffer);
}

str_t str_t::fromInt64(int64 value) {
    char buffer[64];
    snprintf(buffer, sizeof(buffer), "%" PRId64, value);
    return str_t(buffer);
}

str_t operator+(const str_t &left, const char *right) {
    str_t result(left);
    result += right;
    return result;
}

str_t operator+(const str_t &left, const str_t &right) {
    str_t result(left);
    result += right;
    return result;
}

}  // namespace vesk
