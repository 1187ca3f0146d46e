// VGroup: lays its children out top to bottom, honouring their limits and weights.
#ifndef _V_GROUP_H
#define _V_GROUP_H

#include <MGroup.h>

class VGroup : public MGroup {
public:
    VGroup(std::initializer_list<MView *> children)
        : MGroup("VGroup", B_VERTICAL, minimax(), children) {}
    VGroup(minimax limits, std::initializer_list<MView *> children)
        : MGroup("VGroup", B_VERTICAL, limits, children) {}
};

#endif  // _V_GROUP_H
