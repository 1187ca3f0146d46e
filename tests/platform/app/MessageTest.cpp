// BMessage fields: adding, finding, replacing and removing values by name, and the
// statuses for every way a lookup can miss.
#include <gtest/gtest.h>

#include <cstring>

#include <Message.h>

TEST(Message, FieldsHoldSeveralValuesOfOneTypeInOrder) {
    BMessage message('test');
    ASSERT_EQ(message.AddString("name", "first"), B_OK);
    ASSERT_EQ(message.AddString("name", BString("second")), B_OK);
    ASSERT_EQ(message.AddInt32("count", -7), B_OK);

    const char *text = nullptr;
    EXPECT_EQ(message.FindString("name", &text), B_OK);
    EXPECT_STREQ(text, "first");
    BString copy;
    EXPECT_EQ(message.FindString("name", 1, &copy), B_OK);
    EXPECT_EQ(copy, "second");
    EXPECT_EQ(message.FindString("name", 2, &text), B_BAD_INDEX);
    EXPECT_EQ(message.FindString("name", -1, &text), B_BAD_INDEX);

    type_code type = 0;
    int32 count = 0;
    EXPECT_EQ(message.GetInfo("name", &type, &count), B_OK);
    EXPECT_EQ(type, static_cast<type_code>(B_STRING_TYPE));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(message.CountNames(B_ANY_TYPE), 2);
    EXPECT_EQ(message.CountNames(B_STRING_TYPE), 1);
    EXPECT_EQ(message.CountNames(B_FLOAT_TYPE), 0);

    const char *name = nullptr;
    EXPECT_EQ(message.GetInfo(B_ANY_TYPE, 1, &name, &type, &count), B_OK);
    EXPECT_STREQ(name, "count");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(message.GetInfo(B_INT32_TYPE, 1, &name, &type), B_BAD_INDEX);
    EXPECT_EQ(message.GetInfo(B_RECT_TYPE, 0, &name, &type), B_BAD_TYPE);
}

TEST(Message, LookupsThatMissSayWhyAndLeaveTheOutputAlone) {
    BMessage message;
    message.AddInt32("number", 5);
    message.AddRect("frame", BRect(1, 2, 3, 4));

    int32 number = 99;
    float real = 1.5f;
    BRect rect(9, 9, 9, 9);
    EXPECT_EQ(message.FindInt32("missing", &number), B_NAME_NOT_FOUND);
    EXPECT_EQ(message.FindFloat("number", &real), B_BAD_TYPE);
    EXPECT_EQ(message.FindInt32("number", 1, &number), B_BAD_INDEX);
    EXPECT_EQ(message.FindRect("number", &rect), B_BAD_TYPE);
    EXPECT_EQ(number, 99);
    EXPECT_EQ(real, 1.5f);
    EXPECT_EQ(rect, BRect(9, 9, 9, 9));

    // A value of another type never joins an existing field.
    EXPECT_EQ(message.AddFloat("number", 2.0f), B_BAD_TYPE);
    EXPECT_EQ(message.AddString("frame", "text"), B_BAD_TYPE);
    int32 count = 0;
    message.GetInfo("number", nullptr, &count);
    EXPECT_EQ(count, 1);

    EXPECT_EQ(message.FindInt32(nullptr, &number), B_BAD_VALUE);
    EXPECT_EQ(message.FindInt32("number", static_cast<int32 *>(nullptr)), B_BAD_VALUE);
    EXPECT_FALSE(message.HasInt32("number", 1));
    EXPECT_TRUE(message.HasRect("frame"));
    EXPECT_FALSE(message.HasPoint("frame"));
}

TEST(Message, BadNamesAndBadValuesAreRefused) {
    BMessage message;
    EXPECT_EQ(message.AddInt32(nullptr, 1), B_BAD_VALUE);
    EXPECT_EQ(message.AddInt32("", 1), B_BAD_VALUE);
    std::string longest(B_FIELD_NAME_LENGTH, 'n');
    EXPECT_EQ(message.AddInt32(longest.c_str(), 1), B_OK);
    std::string tooLong(B_FIELD_NAME_LENGTH + 1, 'n');
    EXPECT_EQ(message.AddInt32(tooLong.c_str(), 1), B_BAD_VALUE);
    EXPECT_EQ(message.AddString("text", static_cast<const char *>(nullptr)), B_BAD_VALUE);

    // Raw data of a fixed-size type must have that size; a string its NUL, and only one.
    int64 wide = 5;
    EXPECT_EQ(message.AddData("n", B_INT32_TYPE, &wide, sizeof(wide)), B_BAD_VALUE);
    EXPECT_EQ(message.AddData("s", B_STRING_TYPE, "abc", 3), B_BAD_VALUE);
    EXPECT_EQ(message.AddData("s", B_STRING_TYPE, "a\0b", 4), B_BAD_VALUE);
    EXPECT_EQ(message.AddData("s", B_STRING_TYPE, "abc", 4), B_OK);
    EXPECT_EQ(message.AddData("m", B_MESSAGE_TYPE, "not a message", 13), B_BAD_VALUE);
    EXPECT_EQ(message.AddData("x", B_ANY_TYPE, "x", 1), B_BAD_TYPE);
    EXPECT_EQ(message.AddData("x", 'ICON', nullptr, 4), B_BAD_VALUE);
    EXPECT_EQ(message.CountNames(B_ANY_TYPE), 2);
}

TEST(Message, ReplaceChangesOneValueAndKeepsTheRest) {
    BMessage message;
    message.AddInt32("n", 1);
    message.AddInt32("n", 2);
    message.AddString("s", "old");
    message.AddRect("r", BRect(0, 0, 1, 1));

    EXPECT_EQ(message.ReplaceInt32("n", 1, 20), B_OK);
    EXPECT_EQ(message.ReplaceString("s", "a longer value than before"), B_OK);
    EXPECT_EQ(message.ReplaceRect("r", BRect(5, 6, 7, 8)), B_OK);
    EXPECT_EQ(message.ReplaceInt32("n", 2, 3), B_BAD_INDEX);
    EXPECT_EQ(message.ReplaceInt32("missing", 3), B_NAME_NOT_FOUND);
    EXPECT_EQ(message.ReplaceFloat("n", 3), B_BAD_TYPE);

    EXPECT_EQ(message.GetInt32("n", -1), 1);
    int32 second = 0;
    message.FindInt32("n", 1, &second);
    EXPECT_EQ(second, 20);
    EXPECT_STREQ(message.GetString("s", nullptr), "a longer value than before");
    BRect rect;
    message.FindRect("r", &rect);
    EXPECT_EQ(rect, BRect(5, 6, 7, 8));
}

TEST(Message, RemovingAndEmptyingLeaveTheCodeAndDropTheFields) {
    BMessage message('code');
    message.AddInt32("a", 1);
    message.AddInt32("a", 2);
    message.AddBool("b", true);

    EXPECT_EQ(message.RemoveData("a", 0), B_OK);
    EXPECT_EQ(message.GetInt32("a", -1), 2);
    // The last value taken away takes the field with it.
    EXPECT_EQ(message.RemoveData("a", 0), B_OK);
    EXPECT_FALSE(message.HasInt32("a"));
    EXPECT_EQ(message.RemoveData("a", 0), B_NAME_NOT_FOUND);
    EXPECT_EQ(message.RemoveName("b"), B_OK);
    EXPECT_EQ(message.RemoveName("b"), B_NAME_NOT_FOUND);
    EXPECT_TRUE(message.IsEmpty());

    message.AddString("x", "y");
    message.AddPointer("p", &message);
    EXPECT_FALSE(message.IsEmpty());
    EXPECT_EQ(message.MakeEmpty(), B_OK);
    EXPECT_TRUE(message.IsEmpty());
    EXPECT_EQ(message.CountNames(B_ANY_TYPE), 0);
    EXPECT_EQ(message.what, static_cast<uint32>('code'));
}

TEST(Message, CopiesAreIndependent) {
    BMessage original('orig');
    original.AddString("s", "one");
    BMessage copy(original);
    copy.ReplaceString("s", "two");
    copy.AddInt32("n", 1);
    EXPECT_STREQ(original.GetString("s", ""), "one");
    EXPECT_FALSE(original.HasInt32("n"));

    BMessage assigned;
    assigned = copy;
    EXPECT_TRUE(assigned.HasSameData(copy));
    EXPECT_FALSE(assigned.HasSameData(original));
    EXPECT_EQ(assigned.what, static_cast<uint32>('orig'));
}

TEST(Message, NestedMessagesAndPointersComeBackAsTheyWentIn) {
    BMessage inner('innr');
    inner.AddString("name", "inside");
    BMessage outer;
    ASSERT_EQ(outer.AddMessage("child", &inner), B_OK);
    int local = 0;
    ASSERT_EQ(outer.AddPointer("where", &local), B_OK);

    BMessage found;
    ASSERT_EQ(outer.FindMessage("child", &found), B_OK);
    EXPECT_EQ(found.what, static_cast<uint32>('innr'));
    EXPECT_STREQ(found.GetString("name", ""), "inside");
    void *pointer = nullptr;
    ASSERT_EQ(outer.FindPointer("where", &pointer), B_OK);
    EXPECT_EQ(pointer, &local);

    // A nested message is a copy: changing the original afterwards changes nothing.
    inner.ReplaceString("name", "changed");
    outer.FindMessage("child", &found);
    EXPECT_STREQ(found.GetString("name", ""), "inside");
}
