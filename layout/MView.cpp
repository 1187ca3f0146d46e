#include <MView.h>

#include <algorithm>
#include <cmath>

#include <Font.h>
#include <LayoutMetrics.h>
#include <View.h>

MView::MView(minimax limits) : fAsked(limits) {}

MView::~MView() = default;

BView *MView::View() {
    return dynamic_cast<BView *>(this);
}

minimax MView::SettleLimits(minimax content, view_arrangement arrangement) {
    minimax result = content;
    // An asked minimum raises the content's; it never shrinks what the content needs.
    if (fAsked.mini.x >= 0)
        result.mini.x = std::max(result.mini.x, fAsked.mini.x);
    if (fAsked.mini.y >= 0)
        result.mini.y = std::max(result.mini.y, fAsked.mini.y);
    if (fAsked.maxi.x >= 0)
        result.maxi.x = std::min(result.maxi.x, fAsked.maxi.x);
    if (fAsked.maxi.y >= 0)
        result.maxi.y = std::min(result.maxi.y, fAsked.maxi.y);
    result.mini.x = std::ceil(std::max(result.mini.x, 0.0f));
    result.mini.y = std::ceil(std::max(result.mini.y, 0.0f));
    result.maxi.x = std::max(std::min(result.maxi.x, kLayoutInfinity), result.mini.x);
    result.maxi.y = std::max(std::min(result.maxi.y, kLayoutInfinity), result.mini.y);
    result.weight = std::isfinite(fAsked.weight) && fAsked.weight > 0 ? fAsked.weight : 0;
    ct_mpm = result;

    BView *view = View();
    if (view != nullptr) {
        view_layout_info info;
        info.minWidth = result.mini.x;
        info.minHeight = result.mini.y;
        info.maxWidth = result.maxi.x;
        info.maxHeight = result.maxi.y;
        info.weight = result.weight;
        info.arrangement = arrangement;
        view->SetLayoutInfo(info);
    }
    return result;
}

float layout_line_height() {
    return be_plain_font->LineHeight();
}

float layout_field_height() {
    using namespace layout_metrics;
    return 2 * kControlMargin + layout_line_height() + 2 * kTextInset;
}

float layout_label_width(const char *label) {
    using namespace layout_metrics;
    if (label == nullptr || label[0] == '\0')
        return kControlMargin;
    return std::ceil(kControlMargin + be_plain_font->StringWidth(label) + kLabelGap);
}
