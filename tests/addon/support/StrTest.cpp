// The shared string handle: sharing, copy-on-change, equality and number formatting.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "support/str.h"

using vesk::str_t;

namespace {

// Two handles share a record exactly when they hand out the same platform string.
bool share_record(const str_t &a, const str_t &b) {
    return &a.b_str() == &b.b_str();
}

TEST(SharedString, CopySharesRecordAndSurvivesReleaseOfOriginal) {
    auto original = std::make_unique<str_t>("Abbey Road");
    str_t copy(*original);
    EXPECT_TRUE(share_record(copy, *original));
    original.reset();
    EXPECT_STREQ("Abbey Road", copy.c_str());
    EXPECT_EQ(10, copy.length());

    str_t assigned;
    {
        str_t source("Let It Be");
        assigned = source;
        EXPECT_TRUE(share_record(assigned, source));
    }
    EXPECT_STREQ("Let It Be", assigned.c_str());
}

TEST(SharedString, AppendingToSharedHandleLeavesOtherUnchanged) {
    str_t first("Help");
    str_t second(first);
    second += "!";
    EXPECT_STREQ("Help", first.c_str());
    EXPECT_STREQ("Help!", second.c_str());
    EXPECT_FALSE(share_record(first, second));

    str_t third(first);
    third += str_t(" me");
    EXPECT_STREQ("Help", first.c_str());
    EXPECT_STREQ("Help me", third.c_str());

    str_t joined = first + " yourself" + str_t("!");
    EXPECT_STREQ("Help", first.c_str());
    EXPECT_STREQ("Help yourself!", joined.c_str());
}

TEST(SharedString, AppendingHandleToItselfDoublesText) {
    str_t text("ab");
    str_t other(text);
    text += text;
    EXPECT_STREQ("abab", text.c_str());
    EXPECT_STREQ("ab", other.c_str());
}

TEST(SharedString, EmptyHandlesAreEqualAndHoldNoBuffer) {
    str_t a;
    str_t b;
    EXPECT_FALSE(share_record(a, b));
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);
    EXPECT_STREQ("", a.c_str());
    EXPECT_EQ(0, a.length());
    EXPECT_TRUE(a.b_str().HasNoBuffer());
    EXPECT_TRUE(a == "");
    EXPECT_TRUE(a == str_t(""));
    EXPECT_TRUE(str_t(static_cast<const char *>(nullptr)) == a);
}

TEST(SharedString, EqualityComparesTextsNotRecords) {
    str_t rock("Rock");
    EXPECT_TRUE(rock == str_t("Rock"));
    EXPECT_TRUE(rock == "Rock");
    EXPECT_TRUE(rock != "Rock & Roll");
    EXPECT_TRUE(rock != str_t("Roc"));
    EXPECT_TRUE(rock != str_t());
    EXPECT_TRUE(rock != "rock");
}

TEST(SharedString, AssignmentsSurviveAliasing) {
    str_t text("Yellow Submarine");
    str_t &alias = text;
    text = alias;
    EXPECT_STREQ("Yellow Submarine", text.c_str());

    // The new text is copied before the old record is let go.
    str_t shared(text);
    text = text.c_str() + 7;
    EXPECT_STREQ("Submarine", text.c_str());
    EXPECT_STREQ("Yellow Submarine", shared.c_str());

    str_t alone("Only handle");
    alone = alone.c_str() + 5;
    EXPECT_STREQ("handle", alone.c_str());
}

TEST(SharedString, NumbersAreFormattedAsDecimalText) {
    EXPECT_STREQ("-5", str_t::fromInt32(-5).c_str());
    EXPECT_STREQ("-2147483648", str_t::fromInt32(INT32_MIN).c_str());
    EXPECT_STREQ("2147483647", str_t::fromInt32(INT32_MAX).c_str());
    EXPECT_STREQ("-9223372036854775808", str_t::fromInt64(INT64_MIN).c_str());
    EXPECT_STREQ("0.5", str_t::fromFloat(0.5f).c_str());
    EXPECT_STREQ("1.235e+06", str_t::fromFloat(1234567.0f).c_str());
    EXPECT_STREQ("(1,2)", str_t::fromPoint(BPoint(1, 2)).c_str());
    EXPECT_STREQ("(-0.25,1e+05)", str_t::fromPoint(BPoint(-0.25f, 100000.0f)).c_str());
}

}  // namespace
