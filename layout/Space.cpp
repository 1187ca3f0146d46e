#include <Space.h>

Space::Space() : Space(minimax(0, 0, kLayoutInfinity, kLayoutInfinity, 1.0)) {}

Space::Space(minimax limits) : MView(limits), BView("Space", 0) {}

Space::~Space() = default;

minimax Space::layoutprefs() {
    return SettleLimits(minimax(0, 0, kLayoutInfinity, kLayoutInfinity));
}

BRect Space::layout(BRect rect) {
    SetFrame(rect);
    return rect;
}
