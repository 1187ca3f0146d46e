#include <MTextControl.h>

#include <LayoutMetrics.h>

MTextControl::MTextControl(const char *label, const char *text)
    : MTextControl(label, text, nullptr) {}

MTextControl::MTextControl(const char *label, const char *text, BMessage *message, minimax limits)
    : MView(limits), BTextControl(label, label, text, message) {
    BTextControl::SetDivider(LabelWidth());
}

MTextControl::~MTextControl() = default;

float MTextControl::LabelWidth() const {
    return layout_label_width(LabelCopy().String());
}

void MTextControl::SetDivider(float position) {
    fDividerSet.store(true, std::memory_order_release);
    BTextControl::SetDivider(position);
}

minimax MTextControl::layoutprefs() {
    using namespace layout_metrics;
    if (!fDividerSet.load(std::memory_order_acquire))
        BTextControl::SetDivider(LabelWidth());
    const float height = layout_field_height();
    const float width = Divider() + kTextMinWidth + kControlMargin;
    return SettleLimits(minimax(width, height, kLayoutInfinity, height));
}

BRect MTextControl::layout(BRect rect) {
    SetFrame(rect);
    return rect;
}
