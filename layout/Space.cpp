#include <Space.h>

#include <MGroup.h>

Space::Space() : Space(minimax(0, 0, kLayoutInfinity, kLayoutInfinity, 1.0)) {}

Space::Space(minimax limits) : MView(limits), BView("Space", 0) {}

Space::~Space() = default;

minimax Space::layoutprefs() {
    minimax content(0, 0, kLayoutInfinity, kLayoutInfinity);
    if (const MGroup *group = dynamic_cast<const MGroup *>(Parent())) {
        if (group->Orientation() == B_HORIZONTAL)
            content.maxi.y = 0;
        else
            content.maxi.x = 0;
    }
    return SettleLimits(content);
}

BRect Space::layout(BRect rect) {
    SetFrame(rect);
    return rect;
}
