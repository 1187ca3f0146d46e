// BPopUpMenu: a menu a field pops up; by default in radio mode, labelling its field
// with the marked item.
#ifndef BRINDLE_INTERFACE_POP_UP_MENU_H
#define BRINDLE_INTERFACE_POP_UP_MENU_H

#include <Menu.h>

class BPopUpMenu : public BMenu {
public:
    explicit BPopUpMenu(const char *name, bool radioMode = true, bool labelFromMarked = true)
        : BMenu(name) {
        SetRadioMode(radioMode);
        SetLabelFromMarked(labelFromMarked);
    }
};

#endif  // BRINDLE_INTERFACE_POP_UP_MENU_H
