#include <MButton.h>

#include <algorithm>
#include <cmath>

#include <Font.h>
#include <LayoutMetrics.h>

namespace {

BMessage *button_message(uint32 id) {
    BMessage *message = new BMessage(M_BUTTON_SELECTED);
    message->AddInt32("id", static_cast<int32>(id));
    return message;
}

}  // namespace

MButton::MButton(const char *label, uint32 id, minimax limits)
    : MView(limits), BButton(label, label, button_message(id)) {}

MButton::MButton(const char *label, BMessage *message, BHandler *target, minimax limits)
    : MView(limits), BButton(label, label, message) {
    if (target != nullptr)
        SetTarget(target);
}

MButton::~MButton() = default;

minimax MButton::layoutprefs() {
    using namespace layout_metrics;
    const float labelWidth = std::ceil(be_plain_font->StringWidth(LabelCopy().String()));
    const float width =
        std::max(labelWidth + 2 * kButtonInsetX, kButtonMinWidth) + 2 * kControlMargin;
    const float height = layout_line_height() + 2 * kButtonInsetY + 2 * kControlMargin;
    return SettleLimits(minimax(width, height, width, height));
}

BRect MButton::layout(BRect rect) {
    SetFrame(rect);
    return rect;
}
