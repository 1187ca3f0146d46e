// BMessage's flattened form; the layout is described in Message.h.
#include <Message.h>

#include <cstring>

#include <MessageTypes.h>

namespace {

void put_uint32(std::string *out, uint32 value) {
    char bytes[4] = {static_cast<char>(value & 0xff), static_cast<char>((value >> 8) & 0xff),
                     static_cast<char>((value >> 16) & 0xff),
                     static_cast<char>((value >> 24) & 0xff)};
    out->append(bytes, 4);
}

// Reads from a buffer of known size; every read is checked against what is left.
class Reader {
public:
    Reader(const char *buffer, size_t size) : fData(buffer), fLeft(size) {}

    bool ReadUInt32(uint32 *value) {
        if (fLeft < 4)
            return false;
        const unsigned char *bytes = reinterpret_cast<const unsigned char *>(fData);
        *value = static_cast<uint32>(bytes[0]) | static_cast<uint32>(bytes[1]) << 8 |
                 static_cast<uint32>(bytes[2]) << 16 | static_cast<uint32>(bytes[3]) << 24;
        fData += 4;
        fLeft -= 4;
        return true;
    }

    bool ReadBytes(size_t count, const char **bytes) {
        if (count > fLeft)
            return false;
        *bytes = fData;
        fData += count;
        fLeft -= count;
        return true;
    }

    size_t Left() const { return fLeft; }

private:
    const char *fData;
    size_t fLeft;
};

// The smallest a flattened field can be: name length, a one-byte name, type, count, and
// one value length.
constexpr size_t kMinimumFieldSize = 4 + 1 + 4 + 4 + 4;

}  // namespace

bool BMessage::_ValidValue(type_code type, const std::string &value, int32 depth) {
    ssize_t fixedSize = BPrivate::fixed_value_size(type);
    if (fixedSize >= 0)
        return value.size() == static_cast<size_t>(fixedSize);
    if (type == B_STRING_TYPE) {
        // One NUL, at the end: FindString hands out the bytes as a C string.
        return !value.empty() && memchr(value.data(), '\0', value.size()) == &value.back();
    }
    if (type == B_MESSAGE_TYPE) {
        BMessage nested;
        return nested._Unflatten(value.data(), value.size(), depth + 1) == B_OK;
    }
    return true;
}

status_t BMessage::Flatten(std::string *buffer) const {
    if (buffer == nullptr)
        return B_BAD_VALUE;
    std::string out;
    out.append(kFlattenedMagic, 4);
    put_uint32(&out, what);
    // Pointers mean nothing in another process: they are left out.
    put_uint32(&out, static_cast<uint32>(fFields.size() - CountNames(B_POINTER_TYPE)));
    for (const Field &field : fFields) {
        if (field.type == B_POINTER_TYPE)
            continue;
        put_uint32(&out, static_cast<uint32>(field.name.size()));
        out += field.name;
        put_uint32(&out, field.type);
        put_uint32(&out, static_cast<uint32>(field.values.size()));
        for (const std::string &value : field.values) {
            put_uint32(&out, static_cast<uint32>(value.size()));
            std::string little = value;
            BPrivate::swap_to_little_endian(field.type, &little);
            out += little;
        }
    }
    *buffer = std::move(out);
    return B_OK;
}

ssize_t BMessage::FlattenedSize() const {
    size_t size = 12;
    for (const Field &field : fFields) {
        if (field.type == B_POINTER_TYPE)
            continue;
        size += 12 + field.name.size();
        for (const std::string &value : field.values)
            size += 4 + value.size();
    }
    return static_cast<ssize_t>(size);
}

status_t BMessage::Flatten(char *buffer, ssize_t size) const {
    if (buffer == nullptr || size < 0)
        return B_BAD_VALUE;
    std::string flat;
    status_t status = Flatten(&flat);
    if (status != B_OK)
        return status;
    if (flat.size() > static_cast<size_t>(size))
        return B_BAD_VALUE;
    memcpy(buffer, flat.data(), flat.size());
    return B_OK;
}

status_t BMessage::Unflatten(const char *buffer, ssize_t size) {
    if ((buffer == nullptr && size != 0) || size < 0) {
        MakeEmpty();
        return B_BAD_VALUE;
    }
    return _Unflatten(buffer, static_cast<size_t>(size), 0);
}

status_t BMessage::_Unflatten(const char *buffer, size_t size, int32 depth) {
    // Built aside and swapped in only when all of it checks out.
    BMessage result;
    status_t status = [&]() -> status_t {
        if (depth > kMaxNestingDepth)
            return B_BAD_DATA;
        Reader reader(buffer, size);
        const char *magic = nullptr;
        if (!reader.ReadBytes(4, &magic)) {
            if (size == 0)
                return B_NOT_A_MESSAGE;
            return B_BAD_DATA;
        }
        if (memcmp(magic, kFlattenedMagic, 4) != 0)
            return B_NOT_A_MESSAGE;
        uint32 fieldCount = 0;
        if (!reader.ReadUInt32(&result.what) || !reader.ReadUInt32(&fieldCount))
            return B_BAD_DATA;
        // A count the rest of the buffer cannot hold is a lie; checked before anything
        // is reserved for it.
        if (fieldCount > reader.Left() / kMinimumFieldSize)
            return B_BAD_DATA;
        result.fFields.reserve(fieldCount);
        for (uint32 f = 0; f < fieldCount; f++) {
            uint32 nameLength = 0;
            const char *name = nullptr;
            if (!reader.ReadUInt32(&nameLength) || nameLength == 0 ||
                nameLength > B_FIELD_NAME_LENGTH || !reader.ReadBytes(nameLength, &name) ||
                memchr(name, '\0', nameLength) != nullptr)
                return B_BAD_DATA;
            Field field;
            field.name.assign(name, nameLength);
            uint32 valueCount = 0;
            if (!reader.ReadUInt32(&field.type) || !reader.ReadUInt32(&valueCount) ||
                valueCount == 0 || valueCount > reader.Left() / 4)
                return B_BAD_DATA;
            if (field.type == B_POINTER_TYPE || field.type == B_ANY_TYPE)
                return B_BAD_DATA;
            if (result._FindField(field.name.c_str()) != nullptr)
                return B_BAD_DATA;
            field.values.reserve(valueCount);
            for (uint32 v = 0; v < valueCount; v++) {
                uint32 length = 0;
                const char *bytes = nullptr;
                if (!reader.ReadUInt32(&length) || !reader.ReadBytes(length, &bytes))
                    return B_BAD_DATA;
                std::string value(bytes, length);
                BPrivate::swap_to_little_endian(field.type, &value);
                if (!_ValidValue(field.type, value, depth))
                    return B_BAD_DATA;
                field.values.push_back(std::move(value));
            }
            result.fFields.push_back(std::move(field));
        }
        if (reader.Left() != 0)
            return B_BAD_DATA;
        return B_OK;
    }();
    if (status != B_OK) {
        MakeEmpty();
        return status;
    }
    what = result.what;
    fFields = std::move(result.fFields);
    return B_OK;
}
