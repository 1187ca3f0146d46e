// The replaceable font metric.
#include <gtest/gtest.h>

#include <Font.h>

namespace {

float ten_per_byte(const char *string, float) {
    float width = 0;
    for (const char *c = string; c != nullptr && *c != 0; c++)
        width += 10;
    return width;
}

void tall(float, font_height *height) {
    *height = {20.2f, 5, 0};
}

}  // namespace

TEST(Font, DefaultMetricCountsCharactersNotBytesAndScalesWithSize) {
    EXPECT_EQ(be_plain_font->StringWidth("abc"), 21);
    EXPECT_EQ(be_plain_font->StringWidth("\xC3\xA9t\xC3\xA9"), 21);  // "été"
    EXPECT_EQ(be_plain_font->StringWidth(""), 0);
    EXPECT_EQ(be_plain_font->StringWidth(nullptr), 0);
    EXPECT_EQ(BFont(24).StringWidth("ab"), 28);
    EXPECT_EQ(be_plain_font->LineHeight(), 14);
}

TEST(Font, InstalledMetricsReplaceTheDefaultUntilRemoved) {
    static const font_metrics kMetrics = {ten_per_byte, tall};
    set_font_metrics(&kMetrics);
    EXPECT_EQ(be_plain_font->StringWidth("\xC3\xA9"), 20);
    EXPECT_EQ(be_plain_font->LineHeight(), 26);  // 25.2 rounded up to whole pixels
    set_font_metrics(nullptr);
    EXPECT_EQ(be_plain_font->StringWidth("\xC3\xA9"), 7);
}
