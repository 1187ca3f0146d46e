#include <String.h>

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

TEST(BString, EmptyStringHoldsNoBufferButReadsAsEmpty) {
    BString empty;
    EXPECT_TRUE(empty.HasNoBuffer());
    EXPECT_STREQ(empty.String(), "");
    EXPECT_EQ(empty.Length(), 0);
    EXPECT_TRUE(empty == "");
    EXPECT_TRUE(empty == BString(""));

    BString fromNull(static_cast<const char *>(nullptr));
    EXPECT_STREQ(fromNull.String(), "");
}

TEST(BString, SetToWithMaxLengthStopsAtNulOrBound) {
    const char bytes[] = {'a', 'b', 'c', 'd'};  // no terminator
    BString bounded(bytes, 3);
    EXPECT_STREQ(bounded.String(), "abc");
    EXPECT_EQ(bounded.Length(), 3);

    BString shorter("ab\0cd", 5);
    EXPECT_STREQ(shorter.String(), "ab");
    EXPECT_EQ(shorter.Length(), 2);
}

TEST(BString, AssigningFromOwnBufferIsSafe) {
    BString text("hello world");
    text = text.String() + 6;
    EXPECT_STREQ(text.String(), "world");
    text.SetTo(text.String(), 3);
    EXPECT_STREQ(text.String(), "wor");
}

TEST(BString, AppendCopiesAndComparesBytewise) {
    BString text("Rock");
    BString copy(text);
    text += " & Roll";
    text += '!';
    EXPECT_STREQ(text.String(), "Rock & Roll!");
    EXPECT_STREQ(copy.String(), "Rock");
    EXPECT_LT(BString("Rock"), BString("Rock & Roll"));
    EXPECT_NE(BString("rock"), BString("Rock"));
    text.Truncate(4);
    EXPECT_EQ(text, copy);
}

TEST(BString, MovedFromStringIsEmpty) {
    BString source("moved");
    BString target(std::move(source));
    EXPECT_STREQ(target.String(), "moved");
    EXPECT_STREQ(source.String(), "");  // NOLINT(bugprone-use-after-move): defined as empty
}
