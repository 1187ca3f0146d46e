#include <MStringView.h>

#include <LayoutMetrics.h>

MStringView::MStringView(const char *name, const char *text, minimax limits)
    : MView(limits), BStringView(name, text) {}

MStringView::~MStringView() = default;

minimax MStringView::layoutprefs() {
    using namespace layout_metrics;
    const float height = layout_line_height() + 2 * kControlMargin;
    return SettleLimits(minimax(0, height, kLayoutInfinity, height));
}

BRect MStringView::layout(BRect rect) {
    SetFrame(rect);
    return rect;
}
