// The flattened form: a round trip keeps every type, the bytes are what the format
// says, and Unflatten fails cleanly on every truncation and on corrupted buffers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include <Message.h>

namespace {

BMessage message_with_every_type() {
    BMessage message('ever');
    message.AddString("string", "text");
    message.AddString("string", "");
    message.AddInt8("int8", -8);
    message.AddInt16("int16", -1600);
    message.AddInt32("int32", -320000);
    message.AddInt32("int32", 2147483647);
    message.AddUInt32("uint32", 4000000000u);
    message.AddInt64("int64", -6400000000000LL);
    message.AddBool("bool", true);
    message.AddBool("bool", false);
    message.AddFloat("float", 0.25f);
    message.AddFloat("float", -INFINITY);
    message.AddDouble("double", 1e300);
    message.AddPoint("point", BPoint(1.5f, -2.5f));
    message.AddRect("frame", BRect(1, 2, 300, 400));
    const unsigned char raw[] = {0, 1, 2, 0xff};
    message.AddData("raw", 'ICON', raw, sizeof(raw));
    message.AddData("empty raw", B_RAW_TYPE, nullptr, 0);
    BMessage inner('innr');
    inner.AddString("deep", "value");
    BMessage innermost('most');
    innermost.AddInt32("level", 3);
    inner.AddMessage("nested", &innermost);
    message.AddMessage("message", &inner);
    return message;
}

std::string flatten(const BMessage &message) {
    std::string flat;
    EXPECT_EQ(message.Flatten(&flat), B_OK);
    return flat;
}

uint32 little_endian_at(const std::string &bytes, size_t at) {
    const unsigned char *data = reinterpret_cast<const unsigned char *>(bytes.data()) + at;
    return data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32>(data[3]) << 24;
}

}  // namespace

TEST(MessageFlatten, RoundTripKeepsEveryTypeAndValue) {
    BMessage original = message_with_every_type();
    std::string flat = flatten(original);
    EXPECT_EQ(static_cast<ssize_t>(flat.size()), original.FlattenedSize());

    BMessage copy;
    ASSERT_EQ(copy.Unflatten(flat.data(), static_cast<ssize_t>(flat.size())), B_OK);
    EXPECT_EQ(copy.what, static_cast<uint32>('ever'));
    EXPECT_TRUE(copy.HasSameData(original));

    // And read back through the typed calls, not only compared as bytes.
    BString text;
    EXPECT_EQ(copy.FindString("string", 1, &text), B_OK);
    EXPECT_EQ(text, "");
    int8 int8Value = 0;
    int16 int16Value = 0;
    int64 int64Value = 0;
    uint32 uint32Value = 0;
    bool boolValue = true;
    float floatValue = 0;
    double doubleValue = 0;
    BPoint point;
    BRect frame;
    EXPECT_EQ(copy.FindInt8("int8", &int8Value), B_OK);
    EXPECT_EQ(int8Value, -8);
    EXPECT_EQ(copy.FindInt16("int16", &int16Value), B_OK);
    EXPECT_EQ(int16Value, -1600);
    EXPECT_EQ(copy.GetInt32("int32", 0), -320000);
    EXPECT_EQ(copy.FindUInt32("uint32", &uint32Value), B_OK);
    EXPECT_EQ(uint32Value, 4000000000u);
    EXPECT_EQ(copy.FindInt64("int64", &int64Value), B_OK);
    EXPECT_EQ(int64Value, -6400000000000LL);
    EXPECT_EQ(copy.FindBool("bool", 1, &boolValue), B_OK);
    EXPECT_FALSE(boolValue);
    EXPECT_EQ(copy.FindFloat("float", 1, &floatValue), B_OK);
    EXPECT_EQ(floatValue, -INFINITY);
    EXPECT_EQ(copy.FindDouble("double", &doubleValue), B_OK);
    EXPECT_EQ(doubleValue, 1e300);
    EXPECT_EQ(copy.FindPoint("point", &point), B_OK);
    EXPECT_EQ(point, BPoint(1.5f, -2.5f));
    EXPECT_EQ(copy.FindRect("frame", &frame), B_OK);
    EXPECT_EQ(frame, BRect(1, 2, 300, 400));
    const void *data = nullptr;
    ssize_t size = 0;
    EXPECT_EQ(copy.FindData("raw", 'ICON', &data, &size), B_OK);
    ASSERT_EQ(size, 4);
    EXPECT_EQ(memcmp(data, "\0\1\2\xff", 4), 0);
    BMessage inner;
    BMessage innermost;
    ASSERT_EQ(copy.FindMessage("message", &inner), B_OK);
    ASSERT_EQ(inner.FindMessage("nested", &innermost), B_OK);
    EXPECT_EQ(innermost.GetInt32("level", 0), 3);
}

TEST(MessageFlatten, LayoutIsTheDocumentedLittleEndianForm) {
    BMessage message('abcd');
    message.AddInt32("n", 0x01020304);
    std::string flat = flatten(message);
    // magic, what, field count; name length, name, type, value count, length, value.
    ASSERT_EQ(flat.size(), 4u * 3 + 4 + 1 + 4 + 4 + 4 + 4);
    EXPECT_EQ(flat.substr(0, 4), "BMF1");
    EXPECT_EQ(little_endian_at(flat, 4), static_cast<uint32>('abcd'));
    EXPECT_EQ(little_endian_at(flat, 8), 1u);
    EXPECT_EQ(little_endian_at(flat, 12), 1u);
    EXPECT_EQ(flat[16], 'n');
    EXPECT_EQ(little_endian_at(flat, 17), static_cast<uint32>(B_INT32_TYPE));
    EXPECT_EQ(little_endian_at(flat, 21), 1u);
    EXPECT_EQ(little_endian_at(flat, 25), 4u);
    EXPECT_EQ(little_endian_at(flat, 29), 0x01020304u);
}

TEST(MessageFlatten, PointersStayInTheProcess) {
    BMessage message;
    int local = 0;
    message.AddPointer("pointer", &local);
    message.AddString("kept", "yes");
    BMessage copy;
    std::string flat = flatten(message);
    ASSERT_EQ(copy.Unflatten(flat.data(), static_cast<ssize_t>(flat.size())), B_OK);
    EXPECT_FALSE(copy.HasPointer("pointer"));
    EXPECT_STREQ(copy.GetString("kept", ""), "yes");
    EXPECT_EQ(copy.CountNames(B_ANY_TYPE), 1);
}

TEST(MessageFlatten, FlattenIntoABufferChecksItsSize) {
    BMessage message = message_with_every_type();
    ssize_t size = message.FlattenedSize();
    std::vector<char> buffer(static_cast<size_t>(size));
    EXPECT_EQ(message.Flatten(buffer.data(), size - 1), B_BAD_VALUE);
    EXPECT_EQ(message.Flatten(nullptr, size), B_BAD_VALUE);
    ASSERT_EQ(message.Flatten(buffer.data(), size), B_OK);
    BMessage copy;
    EXPECT_EQ(copy.Unflatten(buffer.data(), size), B_OK);
    EXPECT_TRUE(copy.HasSameData(message));

    BMessage empty;
    EXPECT_EQ(empty.FlattenedSize(), 12);
}

TEST(MessageFlatten, EveryTruncationFailsCleanlyAndLeavesTheMessageEmpty) {
    std::string flat = flatten(message_with_every_type());
    for (size_t length = 0; length < flat.size(); length++) {
        // A copy of exactly `length` bytes, so reading past it is caught by ASan.
        std::vector<char> truncated(flat.begin(), flat.begin() + static_cast<long>(length));
        BMessage message;
        message.AddString("previous", "content");
        status_t status = message.Unflatten(truncated.data(), static_cast<ssize_t>(length));
        EXPECT_TRUE(status == B_BAD_DATA || status == B_NOT_A_MESSAGE)
            << "length " << length << " gave " << status;
        EXPECT_TRUE(message.IsEmpty()) << "length " << length;
    }
}

TEST(MessageFlatten, RandomByteFlipsNeverCrashAndOnlySucceedWithValidData) {
    std::string flat = flatten(message_with_every_type());
    std::mt19937 random(20240611);
    int succeeded = 0;
    for (int round = 0; round < 500; round++) {
        std::vector<char> corrupted(flat.begin(), flat.end());
        int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; i++)
            corrupted[random() % corrupted.size()] ^= static_cast<char>(1 + random() % 255);
        BMessage message;
        status_t status =
            message.Unflatten(corrupted.data(), static_cast<ssize_t>(corrupted.size()));
        if (status != B_OK) {
            EXPECT_TRUE(status == B_BAD_DATA || status == B_NOT_A_MESSAGE) << status;
            EXPECT_TRUE(message.IsEmpty());
            continue;
        }
        succeeded++;
        // Whatever was accepted is a well-formed message: it flattens to a buffer that
        // unflattens to the same data, and its strings can be read as C strings.
        BMessage again;
        std::string reflat = flatten(message);
        ASSERT_EQ(again.Unflatten(reflat.data(), static_cast<ssize_t>(reflat.size())), B_OK);
        EXPECT_TRUE(again.HasSameData(message));
        const char *text = nullptr;
        for (int32 i = 0; message.FindString("string", i, &text) == B_OK; i++)
            EXPECT_LT(strlen(text), flat.size());
    }
    // Flips inside value bytes (an int, a float) give valid messages; headers do not.
    EXPECT_GT(succeeded, 0);
    EXPECT_LT(succeeded, 500);
}

namespace {

// Builds a flattened message by hand from its parts.
class Builder {
public:
    Builder &UInt32(uint32 value) {
        for (int i = 0; i < 4; i++)
            fBytes += static_cast<char>((value >> (8 * i)) & 0xff);
        return *this;
    }
    Builder &Bytes(const std::string &bytes) {
        fBytes += bytes;
        return *this;
    }
    Builder &Header(uint32 fields) { return Bytes("BMF1").UInt32('what').UInt32(fields); }
    Builder &Field(const std::string &name, type_code type, uint32 count) {
        return UInt32(static_cast<uint32>(name.size())).Bytes(name).UInt32(type).UInt32(count);
    }
    Builder &Value(const std::string &value) {
        return UInt32(static_cast<uint32>(value.size())).Bytes(value);
    }
    status_t UnflattenInto(BMessage *message) const {
        std::vector<char> exact(fBytes.begin(), fBytes.end());
        return message->Unflatten(exact.data(), static_cast<ssize_t>(exact.size()));
    }
    const std::string &Result() const { return fBytes; }

private:
    std::string fBytes;
};

}  // namespace

TEST(MessageFlatten, LyingAndMalformedBuffersAreRefused) {
    BMessage message;
    std::string four("\1\2\3\4", 4);
    EXPECT_EQ(Builder().Header(1).Field("n", B_INT32_TYPE, 1).Value(four).UnflattenInto(&message),
              B_OK);
    EXPECT_EQ(message.GetInt32("n", 0), 0x04030201);

    EXPECT_EQ(Builder().Bytes("XXXX").UInt32(0).UInt32(0).UnflattenInto(&message), B_NOT_A_MESSAGE);
    // A field count far larger than the buffer could hold.
    EXPECT_EQ(Builder().Header(0x7fffffff).UnflattenInto(&message), B_BAD_DATA);
    // A value count larger than what is left.
    EXPECT_EQ(
        Builder().Header(1).Field("n", B_INT32_TYPE, 1000000).Value(four).UnflattenInto(&message),
        B_BAD_DATA);
    // A value length past the end.
    EXPECT_EQ(Builder()
                  .Header(1)
                  .Field("n", B_RAW_TYPE, 1)
                  .UInt32(0xffffffff)
                  .Bytes("ab")
                  .UnflattenInto(&message),
              B_BAD_DATA);
    // Wrong size for a fixed-size type.
    EXPECT_EQ(Builder().Header(1).Field("n", B_INT32_TYPE, 1).Value("abc").UnflattenInto(&message),
              B_BAD_DATA);
    // Strings without their NUL, or with one inside.
    EXPECT_EQ(Builder().Header(1).Field("s", B_STRING_TYPE, 1).Value("abc").UnflattenInto(&message),
              B_BAD_DATA);
    EXPECT_EQ(Builder()
                  .Header(1)
                  .Field("s", B_STRING_TYPE, 1)
                  .Value(std::string("a\0b\0", 4))
                  .UnflattenInto(&message),
              B_BAD_DATA);
    // A pointer from another process would be an address we must never follow.
    std::string address(sizeof(void *), '\x41');
    EXPECT_EQ(
        Builder().Header(1).Field("p", B_POINTER_TYPE, 1).Value(address).UnflattenInto(&message),
        B_BAD_DATA);
    // Empty, over-long and repeated names; a field with no values; bytes left over.
    EXPECT_EQ(Builder().Header(1).Field("", B_INT32_TYPE, 1).Value(four).UnflattenInto(&message),
              B_BAD_DATA);
    EXPECT_EQ(Builder()
                  .Header(1)
                  .Field(std::string(256, 'x'), B_INT32_TYPE, 1)
                  .Value(four)
                  .UnflattenInto(&message),
              B_BAD_DATA);
    EXPECT_EQ(Builder()
                  .Header(1)
                  .Field(std::string("a\0b", 3), B_INT32_TYPE, 1)
                  .Value(four)
                  .UnflattenInto(&message),
              B_BAD_DATA);
    EXPECT_EQ(Builder()
                  .Header(2)
                  .Field("n", B_INT32_TYPE, 1)
                  .Value(four)
                  .Field("n", B_INT32_TYPE, 1)
                  .Value(four)
                  .UnflattenInto(&message),
              B_BAD_DATA);
    EXPECT_EQ(Builder()
                  .Header(1)
                  .Field("n", B_INT32_TYPE, 0)
                  .Bytes(std::string(20, '\0'))
                  .UnflattenInto(&message),
              B_BAD_DATA);
    EXPECT_EQ(Builder().Header(0).Bytes("x").UnflattenInto(&message), B_BAD_DATA);
    // A nested message that is itself broken.
    EXPECT_EQ(Builder()
                  .Header(1)
                  .Field("m", B_MESSAGE_TYPE, 1)
                  .Value("BMF1garbage")
                  .UnflattenInto(&message),
              B_BAD_DATA);
    EXPECT_TRUE(message.IsEmpty());

    EXPECT_EQ(message.Unflatten(nullptr, 10), B_BAD_VALUE);
    EXPECT_EQ(message.Unflatten("x", -1), B_BAD_VALUE);
}

TEST(MessageFlatten, NestingBeyondTheLimitIsRefusedWithoutExhaustingTheStack) {
    // Messages nested one inside the next, built as bytes (no recursion while building).
    auto nested = [](int depth) {
        std::string flat = Builder().Header(0).Result();
        for (int level = 0; level < depth; level++)
            flat = Builder().Header(1).Field("m", B_MESSAGE_TYPE, 1).Value(flat).Result();
        return flat;
    };
    BMessage message;
    std::string allowed = nested(BMessage::kMaxNestingDepth);
    EXPECT_EQ(message.Unflatten(allowed.data(), static_cast<ssize_t>(allowed.size())), B_OK);
    std::string deep = nested(BMessage::kMaxNestingDepth + 1);
    EXPECT_EQ(message.Unflatten(deep.data(), static_cast<ssize_t>(deep.size())), B_BAD_DATA);
    std::string deeper = nested(2000);
    EXPECT_EQ(message.Unflatten(deeper.data(), static_cast<ssize_t>(deeper.size())), B_BAD_DATA);
}
