// VGroup: lays its children out top to bottom, honouring their limits and weights.
#ifndef BRINDLE_LAYOUT_V_GROUP_H
#define BRINDLE_LAYOUT_V_GROUP_H

#include <MGroup.h>

class VGroup : public MGroup {
public:
    VGroup(std::initializer_list<MView *> children)
        : MGroup("VGroup", B_VERTICAL, minimax(), children) {}
    VGroup(minimax limits, std::initializer_list<MView *> children)
        : MGroup("VGroup", B_VERTICAL, limits, children) {}
};

#endif  // BRINDLE_LAYOUT_V_GROUP_H
