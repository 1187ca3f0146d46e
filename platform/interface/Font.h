// Font metrics for sizing controls.
//
// Nothing is drawn headless, yet labels and controls still need widths. The kit measures
// text through ONE replaceable pair of functions: by default a deterministic metric of
// 7 pixels per character (per UTF-8 code point) at size 12, scaled with the size, and
// a line of ascent 10, descent 3, leading 1. A display front end may install real
// metrics with set_font_metrics() before it builds or lays out any window.
#ifndef BRINDLE_INTERFACE_FONT_H
#define BRINDLE_INTERFACE_FONT_H

#include <SupportDefs.h>

struct font_height {
    float ascent;
    float descent;
    float leading;
};

// The replaceable measuring functions. Both must be callable from any thread at any
// time and must not call back into the interface kit.
struct font_metrics {
    float (*string_width)(const char *string, float size);
    void (*get_height)(float size, font_height *height);
};

// Installs `metrics` (which must stay valid until replaced); null restores the default.
void set_font_metrics(const font_metrics *metrics);

// The default metric, for front ends that wrap or compare against it.
float default_string_width(const char *string, float size);
void default_font_height(float size, font_height *height);

class BFont {
public:
    BFont() = default;
    explicit BFont(float size) : fSize(size) {}

    float Size() const { return fSize; }
    void SetSize(float size) { fSize = size; }

    // Width in pixels of `string` (null counts as empty).
    float StringWidth(const char *string) const;
    void GetHeight(font_height *height) const;
    // ascent + descent + leading, rounded up to whole pixels.
    float LineHeight() const;

private:
    float fSize = 12.0f;
};

extern const BFont *be_plain_font;
extern const BFont *be_bold_font;

#endif  // BRINDLE_INTERFACE_FONT_H
