// DivideSame: gives labelled controls one common divider, the widest label's, so their
// fields line up. Objects that have no label divider (groups, buttons, spaces) and null
// entries are ignored.
#ifndef BRINDLE_LAYOUT_DIVIDE_SAME_H
#define BRINDLE_LAYOUT_DIVIDE_SAME_H

#include <initializer_list>

#include <MView.h>

// Returns the divider given to them (0 when none has a label divider).
float DivideSame(std::initializer_list<MView *> views);

template <typename... Views>
float DivideSame(MView *first, Views *...rest) {
    return DivideSame({first, static_cast<MView *>(rest)...});
}

#endif  // BRINDLE_LAYOUT_DIVIDE_SAME_H
