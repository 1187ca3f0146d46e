// HGroup: lays its children out left to right, honouring their limits and weights.
#ifndef BRINDLE_LAYOUT_H_GROUP_H
#define BRINDLE_LAYOUT_H_GROUP_H

#include <MGroup.h>

class HGroup : public MGroup {
public:
    HGroup(std::initializer_list<MView *> children)
        : MGroup("HGroup", B_HORIZONTAL, minimax(), children) {}
    HGroup(minimax limits, std::initializer_list<MView *> children)
        : MGroup("HGroup", B_HORIZONTAL, limits, children) {}
};

#endif  // BRINDLE_LAYOUT_H_GROUP_H
