#include <MGroup.h>

#include <algorithm>

#include <Distribute.h>

MGroup::MGroup(const char *name, orientation direction, minimax limits,
               std::initializer_list<MView *> children)
    : MView(limits), BView(name, 0), fOrientation(direction) {
    for (MView *child : children) {
        BView *view = child != nullptr ? child->View() : nullptr;
        if (view != nullptr)
            AddChild(view);
    }
}

MGroup::~MGroup() = default;

std::vector<MView *> MGroup::LayoutChildren() const {
    std::vector<MView *> children;
    const int32 count = CountChildren();
    for (int32 i = 0; i < count; i++) {
        MView *child = dynamic_cast<MView *>(ChildAt(i));
        if (child != nullptr)
            children.push_back(child);
    }
    return children;
}

minimax MGroup::layoutprefs() {
    const bool row = fOrientation == B_HORIZONTAL;
    // Along the run sizes add up; across it the group is as large as its largest child
    // needs and may grow as far as its most flexible child.
    float alongMin = 0;
    float alongMax = 0;
    float acrossMin = 0;
    float acrossMax = 0;
    for (MView *child : LayoutChildren()) {
        minimax m = child->layoutprefs();
        alongMin += row ? m.mini.x : m.mini.y;
        alongMax = std::min(alongMax + (row ? m.maxi.x : m.maxi.y), kLayoutInfinity);
        acrossMin = std::max(acrossMin, row ? m.mini.y : m.mini.x);
        acrossMax = std::max(acrossMax, row ? m.maxi.y : m.maxi.x);
    }
    minimax content = row ? minimax(alongMin, acrossMin, alongMax, acrossMax)
                          : minimax(acrossMin, alongMin, acrossMax, alongMax);
    return SettleLimits(content, row ? B_ARRANGE_IN_ROW : B_ARRANGE_IN_COLUMN);
}

BRect MGroup::layout(BRect rect) {
    SetFrame(rect);
    layout_run(LayoutChildren(), BRect(0, 0, rect.Width(), rect.Height()),
               fOrientation == B_HORIZONTAL);
    return rect;
}
