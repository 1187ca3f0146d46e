#include <MPopup.h>

#include <algorithm>
#include <cmath>

#include <Font.h>
#include <LayoutMetrics.h>
#include <MenuItem.h>
#include <PopUpMenu.h>

MPopup::MPopup(const char *label, std::initializer_list<const char *> items, BMessage *message,
               BHandler *target)
    : MView(minimax(-1, -1, -1, -1, 1.0)), BMenuField(label, label, new BPopUpMenu(label)) {
    BMenuField::SetDivider(LabelWidth());
    if (target != nullptr)
        Menu()->SetTargetForItems(target);
    for (const char *item : items) {
        BMessage *copy = message != nullptr ? new BMessage(*message) : nullptr;
        Menu()->AddItem(new BMenuItem(item, copy));
    }
    // Each item holds its own copy; the template itself is no longer needed.
    delete message;
}

MPopup::~MPopup() = default;

void MPopup::SetActive(int32 index, bool notify) {
    BMenuItem *item = Menu()->ItemAt(index);
    if (item == nullptr)
        return;
    item->SetMarked(true);
    if (notify && item->Message() != nullptr)
        item->Invoke();
}

BMenuItem *MPopup::MenuItem() const {
    return Menu()->FindMarked();
}

float MPopup::LabelWidth() const {
    return layout_label_width(LabelCopy().String());
}

void MPopup::SetDivider(float position) {
    fDividerSet.store(true, std::memory_order_release);
    BMenuField::SetDivider(position);
}

minimax MPopup::layoutprefs() {
    using namespace layout_metrics;
    if (!fDividerSet.load(std::memory_order_acquire))
        BMenuField::SetDivider(LabelWidth());
    float widest = 0;
    const int32 count = Menu()->CountItems();
    for (int32 i = 0; i < count; i++) {
        BMenuItem *item = Menu()->ItemAt(i);
        if (item != nullptr)
            widest = std::max(widest, be_plain_font->StringWidth(item->LabelCopy().String()));
    }
    const float box = std::max(std::ceil(widest) + kPopupChrome, kPopupMinWidth);
    const float width = Divider() + box + kControlMargin;
    const float height = layout_field_height();
    // A pop-up shows one item at a time: it has no use for more room than that.
    return SettleLimits(minimax(width, height, width, height));
}

BRect MPopup::layout(BRect rect) {
    SetFrame(rect);
    return rect;
}
