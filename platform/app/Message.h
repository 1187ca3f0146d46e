// BMessage: a code (`what`) and named, typed fields; each name holds one or more values
// of one type.
//
// Values are copied in and out: a message owns all its data. Numbers are kept in host
// byte order while in memory. A nested message (AddMessage) is kept flattened, so, like a
// message that crosses a process, it carries no pointer fields.
//
// Statuses: B_OK; B_NAME_NOT_FOUND (no such field); B_BAD_TYPE (the field holds another
// type); B_BAD_INDEX (no value at that index); B_BAD_VALUE (null or over-long name, null
// data, a value of the wrong size for its type, a string that is not NUL terminated).
//
// Flattened form (Flatten / Unflatten), all integers little-endian:
//
//   4 bytes magic            'B' 'M' 'F' '1'
//   uint32  what
//   uint32  field count      F
//   F fields, each:
//     uint32  name length    N, 1..B_FIELD_NAME_LENGTH
//     N bytes name           no NUL inside, none after
//     uint32  type code
//     uint32  value count    C >= 1
//     C values, each:
//       uint32  length       L
//       L bytes value
//
// Values of the fixed-size types are written little-endian, element by element (a
// BPoint as two floats, a BRect as four); a string is its bytes and its NUL; a nested
// message is its own flattened form. Pointer fields mean nothing in another process and
// are left out. Unflatten checks everything before it believes it: a wrong magic gives
// B_NOT_A_MESSAGE; a truncated buffer, a length that runs past the end, bytes left over,
// an empty or repeated name, a field without values, a value of the wrong size for its
// type, a string without its NUL or with one inside, a pointer field, or nesting deeper
// than kMaxNestingDepth give B_BAD_DATA. On failure the message is left empty. Type
// codes this kit does not know are carried as raw bytes, as AddData accepts them.
#ifndef BRINDLE_APP_MESSAGE_H
#define BRINDLE_APP_MESSAGE_H

#include <string>
#include <vector>

#include <Point.h>
#include <Rect.h>
#include <String.h>
#include <SupportDefs.h>
#include <TypeConstants.h>

class BMessenger;

// Longest field name, in bytes without the NUL.
#define B_FIELD_NAME_LENGTH 255

class BMessage {
public:
    static constexpr char kFlattenedMagic[5] = "BMF1";
    // How deep messages may nest inside a flattened message.
    static constexpr int32 kMaxNestingDepth = 32;

    uint32 what = 0;

    BMessage();
    explicit BMessage(uint32 what);
    BMessage(const BMessage &other);
    BMessage(BMessage &&other) noexcept;
    virtual ~BMessage();

    BMessage &operator=(const BMessage &other);
    BMessage &operator=(BMessage &&other) noexcept;

    // Information about fields.
    // The type and number of values of the field `name`.
    status_t GetInfo(const char *name, type_code *typeFound, int32 *countFound = nullptr) const;
    // The `index`th field of type `typeRequested` (B_ANY_TYPE: any), in the order fields
    // were added. `nameFound` points into the message: valid until the field is removed.
    status_t GetInfo(type_code typeRequested, int32 index, const char **nameFound,
                     type_code *typeFound, int32 *countFound = nullptr) const;
    status_t GetInfo(type_code typeRequested, int32 index, char **nameFound, type_code *typeFound,
                     int32 *countFound = nullptr) const;
    // Number of fields of that type (B_ANY_TYPE: all fields).
    int32 CountNames(type_code type) const;
    bool IsEmpty() const;
    bool HasSameData(const BMessage &other) const;
    // Removes every field; `what` is kept.
    status_t MakeEmpty();
    status_t RemoveName(const char *name);
    status_t RemoveData(const char *name, int32 index = 0);
    // Writes the code and the fields to standard output, for debugging.
    void PrintToStream() const;

    // Replies. A message sent with a reply-to handler remembers it; SendReply posts to it.
    // B_BAD_REPLY when the message has no return address.
    BMessenger ReturnAddress() const;
    status_t SendReply(uint32 command);
    status_t SendReply(BMessage *reply);
    bool WasDelivered() const { return fWasDelivered; }

    // Flattening (see the format above).
    ssize_t FlattenedSize() const;
    status_t Flatten(char *buffer, ssize_t size) const;
    status_t Flatten(std::string *buffer) const;
    status_t Unflatten(const char *buffer, ssize_t size);

    // Raw data. `isFixedSize` and `count` are accepted for compatibility; sizes are
    // checked against the type where the type has a fixed size.
    status_t AddData(const char *name, type_code type, const void *data, ssize_t numBytes,
                     bool isFixedSize = true, int32 count = 1);
    status_t FindData(const char *name, type_code type, int32 index, const void **data,
                      ssize_t *numBytes) const;
    status_t FindData(const char *name, type_code type, const void **data, ssize_t *numBytes) const;
    status_t ReplaceData(const char *name, type_code type, int32 index, const void *data,
                         ssize_t numBytes);
    status_t ReplaceData(const char *name, type_code type, const void *data, ssize_t numBytes);
    bool HasData(const char *name, type_code type, int32 index = 0) const;

    // Typed fields. Find* leave the output alone on failure.
    status_t AddString(const char *name, const char *string);
    status_t AddString(const char *name, const BString &string);
    status_t AddInt8(const char *name, int8 value);
    status_t AddInt16(const char *name, int16 value);
    status_t AddInt32(const char *name, int32 value);
    status_t AddUInt32(const char *name, uint32 value);
    status_t AddInt64(const char *name, int64 value);
    status_t AddBool(const char *name, bool value);
    status_t AddFloat(const char *name, float value);
    status_t AddDouble(const char *name, double value);
    status_t AddPoint(const char *name, BPoint point);
    status_t AddRect(const char *name, BRect rect);
    status_t AddPointer(const char *name, const void *pointer);
    status_t AddMessage(const char *name, const BMessage *message);

    status_t FindString(const char *name, const char **string) const;
    status_t FindString(const char *name, int32 index, const char **string) const;
    status_t FindString(const char *name, BString *string) const;
    status_t FindString(const char *name, int32 index, BString *string) const;
    status_t FindInt8(const char *name, int8 *value) const;
    status_t FindInt8(const char *name, int32 index, int8 *value) const;
    status_t FindInt16(const char *name, int16 *value) const;
    status_t FindInt16(const char *name, int32 index, int16 *value) const;
    status_t FindInt32(const char *name, int32 *value) const;
    status_t FindInt32(const char *name, int32 index, int32 *value) const;
    status_t FindUInt32(const char *name, uint32 *value) const;
    status_t FindUInt32(const char *name, int32 index, uint32 *value) const;
    status_t FindInt64(const char *name, int64 *value) const;
    status_t FindInt64(const char *name, int32 index, int64 *value) const;
    status_t FindBool(const char *name, bool *value) const;
    status_t FindBool(const char *name, int32 index, bool *value) const;
    status_t FindFloat(const char *name, float *value) const;
    status_t FindFloat(const char *name, int32 index, float *value) const;
    status_t FindDouble(const char *name, double *value) const;
    status_t FindDouble(const char *name, int32 index, double *value) const;
    status_t FindPoint(const char *name, BPoint *point) const;
    status_t FindPoint(const char *name, int32 index, BPoint *point) const;
    status_t FindRect(const char *name, BRect *rect) const;
    status_t FindRect(const char *name, int32 index, BRect *rect) const;
    status_t FindPointer(const char *name, void **pointer) const;
    status_t FindPointer(const char *name, int32 index, void **pointer) const;
    status_t FindMessage(const char *name, BMessage *message) const;
    status_t FindMessage(const char *name, int32 index, BMessage *message) const;

    status_t ReplaceString(const char *name, const char *string);
    status_t ReplaceString(const char *name, int32 index, const char *string);
    status_t ReplaceString(const char *name, const BString &string);
    status_t ReplaceInt32(const char *name, int32 value);
    status_t ReplaceInt32(const char *name, int32 index, int32 value);
    status_t ReplaceInt64(const char *name, int64 value);
    status_t ReplaceInt64(const char *name, int32 index, int64 value);
    status_t ReplaceBool(const char *name, bool value);
    status_t ReplaceBool(const char *name, int32 index, bool value);
    status_t ReplaceFloat(const char *name, float value);
    status_t ReplaceFloat(const char *name, int32 index, float value);
    status_t ReplacePoint(const char *name, BPoint point);
    status_t ReplacePoint(const char *name, int32 index, BPoint point);
    status_t ReplaceRect(const char *name, BRect rect);
    status_t ReplaceRect(const char *name, int32 index, BRect rect);
    status_t ReplacePointer(const char *name, const void *pointer);
    status_t ReplacePointer(const char *name, int32 index, const void *pointer);
    status_t ReplaceMessage(const char *name, const BMessage *message);
    status_t ReplaceMessage(const char *name, int32 index, const BMessage *message);

    bool HasString(const char *name, int32 index = 0) const;
    bool HasInt8(const char *name, int32 index = 0) const;
    bool HasInt16(const char *name, int32 index = 0) const;
    bool HasInt32(const char *name, int32 index = 0) const;
    bool HasUInt32(const char *name, int32 index = 0) const;
    bool HasInt64(const char *name, int32 index = 0) const;
    bool HasBool(const char *name, int32 index = 0) const;
    bool HasFloat(const char *name, int32 index = 0) const;
    bool HasDouble(const char *name, int32 index = 0) const;
    bool HasPoint(const char *name, int32 index = 0) const;
    bool HasRect(const char *name, int32 index = 0) const;
    bool HasPointer(const char *name, int32 index = 0) const;
    bool HasMessage(const char *name, int32 index = 0) const;

    // Value or default: the value at index 0 if it is there with that type.
    const char *GetString(const char *name, const char *defaultValue) const;
    int32 GetInt32(const char *name, int32 defaultValue) const;
    int64 GetInt64(const char *name, int64 defaultValue) const;
    bool GetBool(const char *name, bool defaultValue) const;
    float GetFloat(const char *name, float defaultValue) const;

private:
    friend class BLooper;
    friend class BMessenger;

    struct Field {
        std::string name;
        type_code type;
        std::vector<std::string> values;
    };

    const Field *_FindField(const char *name) const;
    Field *_FindField(const char *name);
    status_t _FindValue(const char *name, type_code type, int32 index,
                        const std::string **value) const;
    status_t _FindFixed(const char *name, type_code type, int32 index, void *out,
                        size_t size) const;
    status_t _Replace(const char *name, type_code type, int32 index, std::string value);
    status_t _Unflatten(const char *buffer, size_t size, int32 depth);
    // Whether `value` is a well-formed value of `type` (a nested message at `depth`).
    static bool _ValidValue(type_code type, const std::string &value, int32 depth);
    void _Print(int32 depth) const;

    std::vector<Field> fFields;
    // Where a reply goes: the tokens of a BMessenger, -1 when there is none.
    int32 fReplyHandlerToken = -1;
    int32 fReplyLooperToken = -1;
    bool fReplyToPreferred = false;
    bool fWasDelivered = false;
};

#endif  // BRINDLE_APP_MESSAGE_H
