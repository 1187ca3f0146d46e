#include <Message.h>

#include <cstdio>
#include <cstring>

#include <Messenger.h>
#include <MessageTypes.h>

using BPrivate::fixed_value_size;

namespace {

bool valid_name(const char *name) {
    if (name == nullptr || name[0] == '\0')
        return false;
    return strnlen(name, B_FIELD_NAME_LENGTH + 1) <= B_FIELD_NAME_LENGTH;
}

std::string bytes_of(const void *data, size_t size) {
    return std::string(static_cast<const char *>(data), size);
}

}  // namespace

BMessage::BMessage() = default;

BMessage::BMessage(uint32 what) : what(what) {}

BMessage::BMessage(const BMessage &other) = default;

BMessage::BMessage(BMessage &&other) noexcept = default;

BMessage::~BMessage() = default;

BMessage &BMessage::operator=(const BMessage &other) = default;

BMessage &BMessage::operator=(BMessage &&other) noexcept = default;

const BMessage::Field *BMessage::_FindField(const char *name) const {
    if (name == nullptr)
        return nullptr;
    for (const Field &field : fFields) {
        if (field.name == name)
            return &field;
    }
    return nullptr;
}

BMessage::Field *BMessage::_FindField(const char *name) {
    return const_cast<Field *>(static_cast<const BMessage *>(this)->_FindField(name));
}

status_t BMessage::GetInfo(const char *name, type_code *typeFound, int32 *countFound) const {
    if (name == nullptr)
        return B_BAD_VALUE;
    const Field *field = _FindField(name);
    if (field == nullptr) {
        if (typeFound != nullptr)
            *typeFound = 0;
        if (countFound != nullptr)
            *countFound = 0;
        return B_NAME_NOT_FOUND;
    }
    if (typeFound != nullptr)
        *typeFound = field->type;
    if (countFound != nullptr)
        *countFound = static_cast<int32>(field->values.size());
    return B_OK;
}

status_t BMessage::GetInfo(type_code typeRequested, int32 index, const char **nameFound,
                           type_code *typeFound, int32 *countFound) const {
    if (index < 0)
        return B_BAD_INDEX;
    int32 seen = 0;
    for (const Field &field : fFields) {
        if (typeRequested != B_ANY_TYPE && field.type != typeRequested)
            continue;
        if (seen++ != index)
            continue;
        if (nameFound != nullptr)
            *nameFound = field.name.c_str();
        if (typeFound != nullptr)
            *typeFound = field.type;
        if (countFound != nullptr)
            *countFound = static_cast<int32>(field.values.size());
        return B_OK;
    }
    // As on the original platform: no field of that type at all is B_BAD_TYPE, too few
    // of them is B_BAD_INDEX.
    return seen == 0 ? B_BAD_TYPE : B_BAD_INDEX;
}

status_t BMessage::GetInfo(type_code typeRequested, int32 index, char **nameFound,
                           type_code *typeFound, int32 *countFound) const {
    const char *name = nullptr;
    status_t status = GetInfo(typeRequested, index, &name, typeFound, countFound);
    if (status == B_OK && nameFound != nullptr)
        *nameFound = const_cast<char *>(name);
    return status;
}

int32 BMessage::CountNames(type_code type) const {
    int32 count = 0;
    for (const Field &field : fFields) {
        if (type == B_ANY_TYPE || field.type == type)
            count++;
    }
    return count;
}

bool BMessage::IsEmpty() const {
    return fFields.empty();
}

bool BMessage::HasSameData(const BMessage &other) const {
    if (fFields.size() != other.fFields.size())
        return false;
    for (const Field &field : fFields) {
        const Field *match = other._FindField(field.name.c_str());
        if (match == nullptr || match->type != field.type || match->values != field.values)
            return false;
    }
    return true;
}

status_t BMessage::MakeEmpty() {
    fFields.clear();
    return B_OK;
}

status_t BMessage::RemoveName(const char *name) {
    if (name == nullptr)
        return B_BAD_VALUE;
    for (auto it = fFields.begin(); it != fFields.end(); ++it) {
        if (it->name == name) {
            fFields.erase(it);
            return B_OK;
        }
    }
    return B_NAME_NOT_FOUND;
}

status_t BMessage::RemoveData(const char *name, int32 index) {
    if (name == nullptr)
        return B_BAD_VALUE;
    if (index < 0)
        return B_BAD_INDEX;
    Field *field = _FindField(name);
    if (field == nullptr)
        return B_NAME_NOT_FOUND;
    if (static_cast<size_t>(index) >= field->values.size())
        return B_BAD_INDEX;
    field->values.erase(field->values.begin() + index);
    // A field lives only while it has values.
    if (field->values.empty())
        return RemoveName(name);
    return B_OK;
}

BMessenger BMessage::ReturnAddress() const {
    if (fReplyLooperToken < 0)
        return BMessenger();
    return BMessenger(fReplyHandlerToken, fReplyLooperToken, fReplyToPreferred);
}

status_t BMessage::SendReply(uint32 command) {
    BMessage reply(command);
    return SendReply(&reply);
}

status_t BMessage::SendReply(BMessage *reply) {
    if (reply == nullptr)
        return B_BAD_VALUE;
    if (fReplyLooperToken < 0)
        return B_BAD_REPLY;
    return ReturnAddress().SendMessage(reply);
}

// --- raw data ---

status_t BMessage::AddData(const char *name, type_code type, const void *data, ssize_t numBytes,
                           bool, int32) {
    if (!valid_name(name) || numBytes < 0 || (data == nullptr && numBytes > 0))
        return B_BAD_VALUE;
    if (type == B_ANY_TYPE)
        return B_BAD_TYPE;
    std::string value = numBytes > 0 ? bytes_of(data, static_cast<size_t>(numBytes)) : "";
    if (!_ValidValue(type, value, 0))
        return B_BAD_VALUE;
    Field *field = _FindField(name);
    if (field != nullptr) {
        if (field->type != type)
            return B_BAD_TYPE;
        field->values.push_back(std::move(value));
        return B_OK;
    }
    fFields.push_back(Field{name, type, {std::move(value)}});
    return B_OK;
}

status_t BMessage::_FindValue(const char *name, type_code type, int32 index,
                              const std::string **value) const {
    if (name == nullptr)
        return B_BAD_VALUE;
    const Field *field = _FindField(name);
    if (field == nullptr)
        return B_NAME_NOT_FOUND;
    if (type != B_ANY_TYPE && field->type != type)
        return B_BAD_TYPE;
    if (index < 0 || static_cast<size_t>(index) >= field->values.size())
        return B_BAD_INDEX;
    *value = &field->values[index];
    return B_OK;
}

status_t BMessage::FindData(const char *name, type_code type, int32 index, const void **data,
                            ssize_t *numBytes) const {
    if (data == nullptr)
        return B_BAD_VALUE;
    const std::string *value = nullptr;
    status_t status = _FindValue(name, type, index, &value);
    if (status != B_OK) {
        *data = nullptr;
        return status;
    }
    *data = value->data();
    if (numBytes != nullptr)
        *numBytes = static_cast<ssize_t>(value->size());
    return B_OK;
}

status_t BMessage::FindData(const char *name, type_code type, const void **data,
                            ssize_t *numBytes) const {
    return FindData(name, type, 0, data, numBytes);
}

status_t BMessage::_Replace(const char *name, type_code type, int32 index, std::string value) {
    if (name == nullptr)
        return B_BAD_VALUE;
    Field *field = _FindField(name);
    if (field == nullptr)
        return B_NAME_NOT_FOUND;
    if (field->type != type)
        return B_BAD_TYPE;
    if (index < 0 || static_cast<size_t>(index) >= field->values.size())
        return B_BAD_INDEX;
    if (!_ValidValue(type, value, 0))
        return B_BAD_VALUE;
    field->values[index] = std::move(value);
    return B_OK;
}

status_t BMessage::ReplaceData(const char *name, type_code type, int32 index, const void *data,
                               ssize_t numBytes) {
    if (numBytes < 0 || (data == nullptr && numBytes > 0))
        return B_BAD_VALUE;
    return _Replace(name, type, index,
                    numBytes > 0 ? bytes_of(data, static_cast<size_t>(numBytes)) : "");
}

status_t BMessage::ReplaceData(const char *name, type_code type, const void *data,
                               ssize_t numBytes) {
    return ReplaceData(name, type, 0, data, numBytes);
}

bool BMessage::HasData(const char *name, type_code type, int32 index) const {
    const std::string *value = nullptr;
    return _FindValue(name, type, index, &value) == B_OK;
}

status_t BMessage::_FindFixed(const char *name, type_code type, int32 index, void *out,
                              size_t size) const {
    if (out == nullptr)
        return B_BAD_VALUE;
    const std::string *value = nullptr;
    status_t status = _FindValue(name, type, index, &value);
    if (status != B_OK)
        return status;
    if (value->size() != size)
        return B_BAD_DATA;
    memcpy(out, value->data(), size);
    return B_OK;
}

// --- typed fields ---

status_t BMessage::AddString(const char *name, const char *string) {
    if (string == nullptr)
        return B_BAD_VALUE;
    return AddData(name, B_STRING_TYPE, string, static_cast<ssize_t>(strlen(string) + 1));
}

status_t BMessage::AddString(const char *name, const BString &string) {
    return AddString(name, string.String());
}

#define BRINDLE_FIXED_FIELD(Kind, Type, code)                                         \
    status_t BMessage::Add##Kind(const char *name, Type value) {                      \
        return AddData(name, code, &value, sizeof(value));                            \
    }                                                                                 \
    status_t BMessage::Find##Kind(const char *name, Type *value) const {              \
        return _FindFixed(name, code, 0, value, sizeof(Type));                        \
    }                                                                                 \
    status_t BMessage::Find##Kind(const char *name, int32 index, Type *value) const { \
        return _FindFixed(name, code, index, value, sizeof(Type));                    \
    }                                                                                 \
    bool BMessage::Has##Kind(const char *name, int32 index) const {                   \
        return HasData(name, code, index);                                            \
    }

BRINDLE_FIXED_FIELD(Int8, int8, B_INT8_TYPE)
BRINDLE_FIXED_FIELD(Int16, int16, B_INT16_TYPE)
BRINDLE_FIXED_FIELD(Int32, int32, B_INT32_TYPE)
BRINDLE_FIXED_FIELD(UInt32, uint32, B_UINT32_TYPE)
BRINDLE_FIXED_FIELD(Int64, int64, B_INT64_TYPE)
BRINDLE_FIXED_FIELD(Float, float, B_FLOAT_TYPE)
BRINDLE_FIXED_FIELD(Double, double, B_DOUBLE_TYPE)
BRINDLE_FIXED_FIELD(Point, BPoint, B_POINT_TYPE)
BRINDLE_FIXED_FIELD(Rect, BRect, B_RECT_TYPE)

#undef BRINDLE_FIXED_FIELD

status_t BMessage::AddBool(const char *name, bool value) {
    uint8 byte = value ? 1 : 0;
    return AddData(name, B_BOOL_TYPE, &byte, 1);
}

status_t BMessage::FindBool(const char *name, bool *value) const {
    return FindBool(name, 0, value);
}

status_t BMessage::FindBool(const char *name, int32 index, bool *value) const {
    uint8 byte = 0;
    status_t status = _FindFixed(name, B_BOOL_TYPE, index, &byte, 1);
    if (status == B_OK)
        *value = byte != 0;
    return status;
}

bool BMessage::HasBool(const char *name, int32 index) const {
    return HasData(name, B_BOOL_TYPE, index);
}

status_t BMessage::AddPointer(const char *name, const void *pointer) {
    return AddData(name, B_POINTER_TYPE, &pointer, sizeof(pointer));
}

status_t BMessage::FindPointer(const char *name, void **pointer) const {
    return FindPointer(name, 0, pointer);
}

status_t BMessage::FindPointer(const char *name, int32 index, void **pointer) const {
    return _FindFixed(name, B_POINTER_TYPE, index, pointer, sizeof(void *));
}

bool BMessage::HasPointer(const char *name, int32 index) const {
    return HasData(name, B_POINTER_TYPE, index);
}

status_t BMessage::AddMessage(const char *name, const BMessage *message) {
    if (message == nullptr)
        return B_BAD_VALUE;
    std::string flat;
    status_t status = message->Flatten(&flat);
    if (status != B_OK)
        return status;
    return AddData(name, B_MESSAGE_TYPE, flat.data(), static_cast<ssize_t>(flat.size()));
}

status_t BMessage::FindMessage(const char *name, BMessage *message) const {
    return FindMessage(name, 0, message);
}

status_t BMessage::FindMessage(const char *name, int32 index, BMessage *message) const {
    if (message == nullptr)
        return B_BAD_VALUE;
    const std::string *value = nullptr;
    status_t status = _FindValue(name, B_MESSAGE_TYPE, index, &value);
    if (status != B_OK)
        return status;
    BMessage found;
    status = found.Unflatten(value->data(), static_cast<ssize_t>(value->size()));
    if (status != B_OK)
        return status;
    *message = std::move(found);
    return B_OK;
}

bool BMessage::HasMessage(const char *name, int32 index) const {
    return HasData(name, B_MESSAGE_TYPE, index);
}

status_t BMessage::FindString(const char *name, const char **string) const {
    return FindString(name, 0, string);
}

status_t BMessage::FindString(const char *name, int32 index, const char **string) const {
    if (string == nullptr)
        return B_BAD_VALUE;
    const std::string *value = nullptr;
    status_t status = _FindValue(name, B_STRING_TYPE, index, &value);
    if (status != B_OK)
        return status;
    // Every stored string ends with its NUL (checked when it was added).
    *string = value->data();
    return B_OK;
}

status_t BMessage::FindString(const char *name, BString *string) const {
    return FindString(name, 0, string);
}

status_t BMessage::FindString(const char *name, int32 index, BString *string) const {
    if (string == nullptr)
        return B_BAD_VALUE;
    const char *found = nullptr;
    status_t status = FindString(name, index, &found);
    if (status == B_OK)
        string->SetTo(found);
    return status;
}

bool BMessage::HasString(const char *name, int32 index) const {
    return HasData(name, B_STRING_TYPE, index);
}

status_t BMessage::ReplaceString(const char *name, const char *string) {
    return ReplaceString(name, 0, string);
}

status_t BMessage::ReplaceString(const char *name, int32 index, const char *string) {
    if (string == nullptr)
        return B_BAD_VALUE;
    return _Replace(name, B_STRING_TYPE, index, std::string(string, strlen(string) + 1));
}

status_t BMessage::ReplaceString(const char *name, const BString &string) {
    return ReplaceString(name, 0, string.String());
}

#define BRINDLE_REPLACE_FIELD(Kind, Type, code)                                   \
    status_t BMessage::Replace##Kind(const char *name, Type value) {              \
        return Replace##Kind(name, 0, value);                                     \
    }                                                                             \
    status_t BMessage::Replace##Kind(const char *name, int32 index, Type value) { \
        return _Replace(name, code, index, bytes_of(&value, sizeof(value)));      \
    }

BRINDLE_REPLACE_FIELD(Int32, int32, B_INT32_TYPE)
BRINDLE_REPLACE_FIELD(Int64, int64, B_INT64_TYPE)
BRINDLE_REPLACE_FIELD(Float, float, B_FLOAT_TYPE)
BRINDLE_REPLACE_FIELD(Point, BPoint, B_POINT_TYPE)
BRINDLE_REPLACE_FIELD(Rect, BRect, B_RECT_TYPE)
BRINDLE_REPLACE_FIELD(Pointer, const void *, B_POINTER_TYPE)

#undef BRINDLE_REPLACE_FIELD

status_t BMessage::ReplaceBool(const char *name, bool value) {
    return ReplaceBool(name, 0, value);
}

status_t BMessage::ReplaceBool(const char *name, int32 index, bool value) {
    return _Replace(name, B_BOOL_TYPE, index, std::string(1, value ? 1 : 0));
}

status_t BMessage::ReplaceMessage(const char *name, const BMessage *message) {
    return ReplaceMessage(name, 0, message);
}

status_t BMessage::ReplaceMessage(const char *name, int32 index, const BMessage *message) {
    if (message == nullptr)
        return B_BAD_VALUE;
    std::string flat;
    status_t status = message->Flatten(&flat);
    if (status != B_OK)
        return status;
    return _Replace(name, B_MESSAGE_TYPE, index, std::move(flat));
}

const char *BMessage::GetString(const char *name, const char *defaultValue) const {
    const char *value = nullptr;
    return FindString(name, &value) == B_OK ? value : defaultValue;
}

int32 BMessage::GetInt32(const char *name, int32 defaultValue) const {
    int32 value = 0;
    return FindInt32(name, &value) == B_OK ? value : defaultValue;
}

int64 BMessage::GetInt64(const char *name, int64 defaultValue) const {
    int64 value = 0;
    return FindInt64(name, &value) == B_OK ? value : defaultValue;
}

bool BMessage::GetBool(const char *name, bool defaultValue) const {
    bool value = false;
    return FindBool(name, &value) == B_OK ? value : defaultValue;
}

float BMessage::GetFloat(const char *name, float defaultValue) const {
    float value = 0;
    return FindFloat(name, &value) == B_OK ? value : defaultValue;
}

// --- printing ---

void BMessage::PrintToStream() const {
    _Print(0);
}

void BMessage::_Print(int32 depth) const {
    std::string indent(static_cast<size_t>(depth) * 4, ' ');
    printf("BMessage(%s) {\n", BPrivate::code_to_text(what).c_str());
    for (const Field &field : fFields) {
        for (size_t i = 0; i < field.values.size(); i++) {
            const std::string &value = field.values[i];
            printf("%s    %s[%zu], type = %s: ", indent.c_str(), field.name.c_str(), i,
                   BPrivate::code_to_text(field.type).c_str());
            if (field.type == B_MESSAGE_TYPE) {
                BMessage nested;
                if (nested._Unflatten(value.data(), value.size(), depth + 1) == B_OK)
                    nested._Print(depth + 1);
                else
                    printf("(bad message)\n");
                continue;
            }
            printf("%s\n", BPrivate::value_to_text(field.type, value).c_str());
        }
    }
    printf("%s}\n", indent.c_str());
}
