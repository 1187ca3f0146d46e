// The fixed measures of the layout library's controls, in pixels. Text widths come from
// the platform's font metric (Font.h), so a display with real fonts gets real sizes.
#ifndef BRINDLE_LAYOUT_LAYOUT_METRICS_H
#define BRINDLE_LAYOUT_LAYOUT_METRICS_H

namespace layout_metrics {

// Space kept free around every control.
constexpr float kControlMargin = 4;
// Between a label and the field it names.
constexpr float kLabelGap = 6;
// Inside a text field, around its line of text.
constexpr float kTextInset = 3;
// The narrowest text field.
constexpr float kTextMinWidth = 80;
// A pop-up's frame and arrow beside its widest item.
constexpr float kPopupChrome = 28;
// The narrowest pop-up (an empty menu still shows a box).
constexpr float kPopupMinWidth = 40;
// Inside a button, around its label.
constexpr float kButtonInsetX = 12;
constexpr float kButtonInsetY = 5;
constexpr float kButtonMinWidth = 60;

}  // namespace layout_metrics

// The height of a line of the plain font, in whole pixels.
float layout_line_height();
// The height of a text control or pop-up, margins included.
float layout_field_height();
// The divider a label of that text needs: margin, label, gap.
float layout_label_width(const char *label);

#endif  // BRINDLE_LAYOUT_LAYOUT_METRICS_H
