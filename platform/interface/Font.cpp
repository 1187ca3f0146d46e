#include <Font.h>

#include <atomic>
#include <cmath>

namespace {

constexpr float kDefaultSize = 12.0f;
constexpr float kPixelsPerCharacter = 7.0f;

const font_metrics kDefaultMetrics = {default_string_width, default_font_height};
std::atomic<const font_metrics *> sMetrics{&kDefaultMetrics};

const BFont sPlainFont;
const BFont sBoldFont;

}  // namespace

const BFont *be_plain_font = &sPlainFont;
const BFont *be_bold_font = &sBoldFont;

void set_font_metrics(const font_metrics *metrics) {
    sMetrics.store(metrics != nullptr ? metrics : &kDefaultMetrics, std::memory_order_release);
}

float default_string_width(const char *string, float size) {
    if (string == nullptr)
        return 0;
    // Count code points, not bytes: continuation bytes are 10xxxxxx.
    int32 characters = 0;
    for (const unsigned char *c = reinterpret_cast<const unsigned char *>(string); *c != 0; c++) {
        if ((*c & 0xC0) != 0x80)
            characters++;
    }
    return characters * kPixelsPerCharacter * size / kDefaultSize;
}

void default_font_height(float size, font_height *height) {
    if (height == nullptr)
        return;
    const float scale = size / kDefaultSize;
    height->ascent = 10.0f * scale;
    height->descent = 3.0f * scale;
    height->leading = 1.0f * scale;
}

float BFont::StringWidth(const char *string) const {
    return sMetrics.load(std::memory_order_acquire)->string_width(string, fSize);
}

void BFont::GetHeight(font_height *height) const {
    sMetrics.load(std::memory_order_acquire)->get_height(fSize, height);
}

float BFont::LineHeight() const {
    font_height height = {0, 0, 0};
    GetHeight(&height);
    return std::ceil(height.ascent + height.descent + height.leading);
}
