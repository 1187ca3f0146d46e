#include <MessageTypes.h>

#include <algorithm>
#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include <Point.h>
#include <Rect.h>
#include <TypeConstants.h>

namespace BPrivate {

ssize_t fixed_value_size(type_code type) {
    switch (type) {
        case B_BOOL_TYPE:
        case B_INT8_TYPE:
            return 1;
        case B_INT16_TYPE:
            return 2;
        case B_INT32_TYPE:
        case B_UINT32_TYPE:
        case B_FLOAT_TYPE:
            return 4;
        case B_INT64_TYPE:
        case B_DOUBLE_TYPE:
            return 8;
        case B_POINT_TYPE:
            return sizeof(BPoint);
        case B_RECT_TYPE:
            return sizeof(BRect);
        case B_POINTER_TYPE:
            return sizeof(void *);
        default:
            return -1;
    }
}

size_t value_unit_size(type_code type) {
    switch (type) {
        case B_INT16_TYPE:
            return 2;
        case B_INT32_TYPE:
        case B_UINT32_TYPE:
        case B_FLOAT_TYPE:
        case B_POINT_TYPE:
        case B_RECT_TYPE:
            return 4;
        case B_INT64_TYPE:
        case B_DOUBLE_TYPE:
            return 8;
        default:
            return 1;
    }
}

void swap_to_little_endian(type_code type, std::string *value) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    size_t unit = value_unit_size(type);
    if (unit == 1)
        return;
    for (size_t at = 0; at + unit <= value->size(); at += unit)
        std::reverse(value->begin() + at, value->begin() + at + unit);
#else
    (void)type;
    (void)value;
#endif
}

std::string code_to_text(uint32 code) {
    char text[16];
    bool printable = true;
    for (int shift = 24; shift >= 0; shift -= 8)
        printable = printable && isprint(static_cast<int>((code >> shift) & 0xff));
    if (printable) {
        snprintf(text, sizeof(text), "'%c%c%c%c'", static_cast<char>(code >> 24),
                 static_cast<char>(code >> 16), static_cast<char>(code >> 8),
                 static_cast<char>(code));
    } else {
        snprintf(text, sizeof(text), "0x%08" PRIx32, code);
    }
    return text;
}

namespace {

template <typename T>
T value_as(const std::string &value) {
    T result;
    memcpy(&result, value.data(), sizeof(T));
    return result;
}

}  // namespace

std::string value_to_text(type_code type, const std::string &value) {
    char text[128];
    if (fixed_value_size(type) >= 0 && value.size() != static_cast<size_t>(fixed_value_size(type)))
        return "(bad size)";
    switch (type) {
        case B_STRING_TYPE:
            return "\"" + std::string(value.c_str()) + "\"";
        case B_BOOL_TYPE:
            return value[0] != 0 ? "true" : "false";
        case B_INT8_TYPE:
            snprintf(text, sizeof(text), "%d", value_as<int8>(value));
            break;
        case B_INT16_TYPE:
            snprintf(text, sizeof(text), "%d", value_as<int16>(value));
            break;
        case B_INT32_TYPE:
            snprintf(text, sizeof(text), "%" PRId32, value_as<int32>(value));
            break;
        case B_UINT32_TYPE:
            snprintf(text, sizeof(text), "%" PRIu32, value_as<uint32>(value));
            break;
        case B_INT64_TYPE:
            snprintf(text, sizeof(text), "%" PRId64, value_as<int64>(value));
            break;
        case B_FLOAT_TYPE:
            snprintf(text, sizeof(text), "%g", value_as<float>(value));
            break;
        case B_DOUBLE_TYPE:
            snprintf(text, sizeof(text), "%g", value_as<double>(value));
            break;
        case B_POINT_TYPE: {
            BPoint point = value_as<BPoint>(value);
            snprintf(text, sizeof(text), "BPoint(%g, %g)", point.x, point.y);
            break;
        }
        case B_RECT_TYPE: {
            BRect rect = value_as<BRect>(value);
            snprintf(text, sizeof(text), "BRect(%g, %g, %g, %g)", rect.left, rect.top, rect.right,
                     rect.bottom);
            break;
        }
        case B_POINTER_TYPE:
            snprintf(text, sizeof(text), "%p", value_as<void *>(value));
            break;
        default:
            snprintf(text, sizeof(text), "%zu bytes", value.size());
            break;
    }
    return text;
}

}  // namespace BPrivate
